#include "ui/detail/form_loader.h"

#include <QGuiApplication>

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <variant>

#include "ui/detail/control_extras.h"
#include "ui/detail/form_parser.h"
#include "ui/detail/form_properties.h"
#include "ui/detail/widgets.h"

namespace ui {
namespace {

using detail::FormNode;
using detail::FormProperty;
using detail::PropValue;

using Factory = std::unique_ptr<TControl> (*)(std::string, TForm*, TWinControl*);

template <class C>
std::unique_ptr<TControl> Make(std::string name, TForm* form, TWinControl* parent) {
  return std::make_unique<C>(std::move(name), form, parent);
}

const std::map<std::string_view, Factory>& Factories() {
  static const std::map<std::string_view, Factory> factories = {
      {"TLabel", Make<TLabel>},
      {"TButton", Make<TButton>},
      {"TBitBtn", Make<TBitBtn>},
      {"TEdit", Make<TEdit>},
      {"TMemo", Make<TMemo>},
      {"TListBox", Make<TListBox>},
      {"TCheckBox", Make<TCheckBox>},
      {"TRadioButton", Make<TRadioButton>},
      {"TGroupBox", Make<TGroupBox>},
      {"TPanel", Make<TPanel>},
      {"TComboBox", Make<TComboBox>},
      {"TStringGrid", Make<TStringGrid>},
      {"TTabbedNotebook", Make<TTabbedNotebook>},
      {"TTrackBar", Make<TTrackBar>},
      {"TProgressBar", Make<TProgressBar>},
      {"TDriveComboBox", Make<TDriveComboBox>},
      {"TDirectoryListBox", Make<TDirectoryListBox>},
      {"TFileListBox", Make<TFileListBox>},
      {"TImage", Make<TImage>},
  };
  return factories;
}

// --- events ------------------------------------------------------------------------

using EventSlot = std::variant<TNotifyEvent*, TCloseEvent*, TMouseEvent*, TKeyEvent*>;

template <class C, class E>
std::optional<EventSlot> SlotOf(TComponent& component, E C::*member) {
  auto* typed = dynamic_cast<C*>(&component);
  if (typed == nullptr) return std::nullopt;
  return EventSlot(&(typed->*member));
}

// The event member that `event` names on the component, if its class has one.
std::optional<EventSlot> FindEventSlot(TComponent& c, std::string_view event) {
  std::optional<EventSlot> slot;
  const auto offer = [&](std::string_view name, auto found) {
    if (!slot && event == name) slot = found;
  };
  offer("OnTimer", SlotOf(c, &TTimer::OnTimer));
  offer("OnCreate", SlotOf(c, &TForm::OnCreate));
  offer("OnShow", SlotOf(c, &TForm::OnShow));
  offer("OnHide", SlotOf(c, &TForm::OnHide));
  offer("OnClose", SlotOf(c, &TForm::OnClose));
  offer("OnCloseRequest", SlotOf(c, &TForm::OnCloseRequest));
  offer("OnClick", SlotOf(c, &TControl::OnClick));
  offer("OnDblClick", SlotOf(c, &TControl::OnDblClick));
  offer("OnKeyUp", SlotOf(c, &TEdit::OnKeyUp));
  offer("OnMouseUp", SlotOf(c, &TStringGrid::OnMouseUp));
  offer("OnSelectCell", SlotOf(c, &TStringGrid::OnSelectCell));
  for (auto change : {SlotOf(c, &TEdit::OnChange), SlotOf(c, &TComboBox::OnChange),
                      SlotOf(c, &TTrackBar::OnChange), SlotOf(c, &TDriveComboBox::OnChange),
                      SlotOf(c, &TDirectoryListBox::OnChange)}) {
    offer("OnChange", change);
  }
  return slot;
}

const char* SignatureOf(const EventSlot& slot) {
  switch (slot.index()) {
    case 0:
      return "void()";
    case 1:
      return "void(TCloseAction&)";
    case 2:
      return "void(TMouseButton, int, int)";
    default:
      return "void(uint16_t&)";
  }
}

// Binds the handler when its signature fits the slot.
bool Bind(const EventSlot& slot, const TFormBinder::AnyHandler& handler) {
  if (slot.index() != handler.index()) return false;
  std::visit(
      [&handler](auto* member) {
        using Event = std::remove_pointer_t<decltype(member)>;
        *member = std::get<Event>(handler);
      },
      slot);
  return true;
}

}  // namespace

// --- the loader -------------------------------------------------------------------------

class TFormLoader::Build {
 public:
  Build(TForm& form, std::string_view source) : form_(form), source_(source) {}

  void Run(const FormNode& node) {
    names_.insert(node.name);
    form_.name_ = node.name;
    form_.className_ = node.className;
    BuildNode(form_, &form_, node);
    ResolveLinks();
    detail::StackGraphicControls(&form_);
    TFormBinder binder;
    form_.DeclareBindings(binder);
    FillSlots(binder, node);
    BindEvents(binder);
    // Without a screen the form stays where its description put it.
    if (centre_ && QGuiApplication::primaryScreen() != nullptr) form_.CenterOnScreen();
    if (form_.OnCreate) form_.OnCreate();
    if (showAtStart_) form_.Show();
  }

 private:
  struct PendingEvent {
    TComponent* component;
    EventSlot slot;
    std::string event;
    std::string handler;
    int line;
  };
  struct PendingLink {
    TComponent* component;
    std::string target;
    int line;
  };

  [[noreturn]] void Fail(int line, const std::string& message) const {
    throw FormError(std::string(source_) + ":" + std::to_string(line) + ": " + message);
  }

  static std::string Owner(const FormNode& node) { return node.name + " (" + node.className + ")"; }

  // Properties and children in the order written: a property applies once
  // the controls written above it exist.
  void BuildNode(TComponent& component, TWinControl* container, const FormNode& node) {
    size_t built = 0;
    for (const FormProperty& property : node.properties) {
      while (built < property.childrenBefore) BuildChild(container, node, node.children[built++]);
      Apply(component, PropValue(property, source_, Owner(node)));
    }
    while (built < node.children.size()) BuildChild(container, node, node.children[built++]);
  }

  void BuildChild(TWinControl* container, const FormNode& owner, const FormNode& child) {
    if (child.kind == FormNode::Kind::Page) {
      BuildPage(container, owner, child);
      return;
    }
    if (container == nullptr) Fail(child.line, Owner(owner) + " holds no controls");
    if (dynamic_cast<TTabbedNotebook*>(container) != nullptr) {
      Fail(child.line, "the controls of " + Owner(owner) + " go in its pages");
    }
    if (!names_.insert(child.name).second)
      Fail(child.line, "a second component named \"" + child.name + "\"");
    if (child.className == "TTimer") {
      if (!child.children.empty()) Fail(child.children.front().line, "a TTimer holds no controls");
      form_.timers_.push_back(std::make_unique<TTimer>(child.name));
      BuildNode(*form_.timers_.back(), nullptr, child);
      return;
    }
    const auto factory = Factories().find(child.className);
    if (factory == Factories().end()) {
      Fail(child.line, "unknown control class \"" + child.className + "\"");
    }
    form_.owned_.push_back(factory->second(child.name, &form_, container));
    TControl* control = static_cast<TControl*>(form_.owned_.back().get());
    auto* inner = dynamic_cast<TWinControl*>(control);
    BuildNode(*control, inner, child);
  }

  void BuildPage(TWinControl* container, const FormNode& owner, const FormNode& page) {
    auto* notebook = dynamic_cast<TTabbedNotebook*>(container);
    if (notebook == nullptr)
      Fail(page.line, "pages belong in a TTabbedNotebook, not in " + Owner(owner));
    if (!page.properties.empty()) Fail(page.properties.front().line, "a page takes no properties");
    form_.owned_.push_back(detail::AddNotebookPage(*notebook, page.caption));
    auto* inside = static_cast<TWinControl*>(form_.owned_.back().get());
    for (const FormNode& child : page.children) BuildChild(inside, page, child);
  }

  void Apply(TComponent& component, const PropValue& value) {
    if (value.Name().rfind("On", 0) == 0) {
      if (const auto slot = FindEventSlot(component, value.Name())) {
        events_.push_back({&component, *slot, value.Name(), value.Word(), value.Line()});
        return;
      }
    }
    if (ApplyDeferred(component, value)) return;
    if (!detail::SetProperty(component, value)) value.Fail("no such property of this class");
  }

  // Settings that wait until every control exists and the class is bound.
  bool ApplyDeferred(TComponent& component, const PropValue& value) {
    const bool isForm = &component == &form_;
    if (isForm && value.Name() == "Visible") {
      showAtStart_ = value.Bool();
    } else if (isForm && value.Name() == "Position") {
      centre_ = value.Enum<bool>({{"Designed", false}, {"ScreenCenter", true}});
    } else if ((value.Name() == "DirList" && dynamic_cast<TDriveComboBox*>(&component)) ||
               (value.Name() == "FileList" && dynamic_cast<TDirectoryListBox*>(&component))) {
      links_.push_back({&component, value.Word(), value.Line()});
    } else {
      return false;
    }
    return true;
  }

  void ResolveLinks() {
    for (const PendingLink& link : links_) {
      TControl* target = form_.FindControl(link.target);
      if (auto* drives = dynamic_cast<TDriveComboBox*>(link.component)) {
        auto* list = dynamic_cast<TDirectoryListBox*>(target);
        if (list == nullptr)
          Fail(link.line, "DirList: \"" + link.target + "\" is no TDirectoryListBox of this form");
        drives->SetDirList(list);
      } else {
        auto* list = dynamic_cast<TFileListBox*>(target);
        if (list == nullptr)
          Fail(link.line, "FileList: \"" + link.target + "\" is no TFileListBox of this form");
        static_cast<TDirectoryListBox*>(link.component)->SetFileList(list);
      }
    }
  }

  TComponent* FindComponent(const std::string& name) const {
    if (TControl* control = form_.FindControl(name)) return control;
    return form_.FindTimer(name);
  }

  void FillSlots(const TFormBinder& binder, const FormNode& node) {
    for (const auto& slot : binder.Controls()) {
      TComponent* component = FindComponent(slot.name);
      if (component == nullptr) {
        Fail(node.line, Owner(node) + ": the class expects a component \"" + slot.name +
                            "\", which the description lacks");
      }
      if (!slot.assign(component)) {
        Fail(node.line,
             Owner(node) + ": \"" + slot.name + "\" is not of the kind the class declares for it");
      }
    }
  }

  void BindEvents(const TFormBinder& binder) {
    for (const PendingEvent& event : events_) {
      const auto& handlers = binder.Handlers();
      const auto found = std::find_if(handlers.begin(), handlers.end(),
                                      [&](const auto& h) { return h.name == event.handler; });
      const std::string what = event.event + " of \"" + event.component->Name() + "\"";
      if (found == handlers.end()) {
        Fail(event.line, what + " names the handler \"" + event.handler +
                             "\", which the form class does not offer");
      }
      if (!Bind(event.slot, found->handler)) {
        Fail(event.line,
             what + ": the handler \"" + event.handler + "\" must be " + SignatureOf(event.slot));
      }
    }
  }

  TForm& form_;
  std::string_view source_;
  std::set<std::string> names_;
  std::vector<PendingEvent> events_;
  std::vector<PendingLink> links_;
  bool showAtStart_ = false;
  bool centre_ = false;
};

void TFormLoader::Load(TForm& form, std::string_view text, std::string_view sourceName) {
  if (!form.className_.empty())
    throw FormError(std::string(sourceName) + ": the form is loaded already");
  const FormNode node = detail::ParseFormDescription(text, sourceName);
  Build(form, sourceName).Run(node);
}

}  // namespace ui
