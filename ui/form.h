#pragma once
// Forms: windows whose controls, captions, pictures, timers and event
// bindings come from a stored form description compiled into the program
// (":/forms/<name>.form"). The form class names the controls it uses and the
// handlers it offers in DeclareBindings; loading the description creates
// every control, fills the class's control pointers by name and binds each
// event to the handler the description names. A description that names a
// handler the class does not offer (or with the wrong signature), or lacks a
// control the class expects (or has it with another kind), fails loudly
// with FormError when the form is created.
//
// Form description format (one file a window):
//
//   # comment
//   form Form2 : TForm2
//     Caption = "VEK 2003 - Options"
//     ClientSize = 498 405
//     OnShow = FormShow
//     control Button1 : TButton
//       Bounds = 8 370 100 24
//       Caption = "&Apply changes"
//       OnClick = Button1Click
//     control TabbedNotebook1 : TTabbedNotebook
//       Bounds = 0 40 498 320
//       page "Em&bedded file data"
//         control Edit1 : TEdit
//           ...
//
// Nesting is by indentation (two spaces a level). A property line is
// "Name = value"; a value is a "string" (C escapes: \" \\ \r \n \t \xHH;
// strings side by side are joined), a whole number, true/false, a word (an
// enumeration value or a handler name), several of these separated by
// blanks, or a list in [ ... ] whose items may stand on lines of their own.

#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "ui/controls.h"

namespace ui {

class TFormBinder;

class TForm : public TWinControl {
 public:
  TForm();
  ~TForm() override;

  std::string Caption() const;
  void SetCaption(std::string_view caption);

  // Left, Top, Width and Height (from TControl) are the outer frame, where
  // the window system draws one; the client size is the area inside it.
  int ClientWidth() const;
  int ClientHeight() const;
  void SetClientSize(int width, int height);

  TBorderStyle BorderStyle() const;
  void SetBorderStyle(TBorderStyle s);
  TBorderIcons BorderIcons() const;
  void SetBorderIcons(TBorderIcons icons);
  TFormStyle FormStyle() const;
  void SetFormStyle(TFormStyle s);

  // Show makes a hidden form visible, runs its show handler and makes it
  // the active window, with the keyboard focus on its first control that
  // takes it (in the order of the form description); showing a visible
  // form does nothing. Hiding the form that was activated last hands the
  // activation back to the shown window activated before it.
  void Show();
  void Hide();
  // Whether the form is the active window (the one that gets the keys).
  bool Active() const;
  // The control with the keyboard focus within the form, or null.
  TControl* ActiveControl() const;
  // As the user: presses and releases a key at the keyboard, the modifier
  // keys held, while this form is the active window: the key goes to the
  // control with the focus (letters by their capital key code, digits,
  // VK_RETURN, VK_SPACE, ...). Nothing when the form is not active.
  // Defined, as the controls' user actions are, by the tests' library.
  void PressKey(uint16_t key, TShiftState shift = ssNone);
  // The close handler decides (TCloseAction::None refuses). Closing the
  // application's main form ends the message loop once its handler returns.
  // Returns whether the form closed.
  bool Close();
  // As the user: the window system's close (the close box, Alt+F4, the
  // window manager's close message), sent to the window as its close event.
  void RequestClose();
  // Whether the border offers a close box (a border with the system menu).
  bool HasCloseBox() const;
  void BringToFront();
  // Places the form in the middle of the primary screen (halves rounded toward zero).
  void CenterOnScreen();
  // SC_MINIMIZE, SC_RESTORE.
  void SendSysCommand(uint32_t command);
  bool Minimized() const;
  bool IsShown() const { return shown_; }

  // A picture of the form as it is drawn now, written as PNG.
  bool SaveScreenshot(const std::string& hostPath);

  // Controls by name, anywhere in the form.
  TControl* FindControl(std::string_view name) const;
  template <class C>
  C* Find(std::string_view name) const {
    return dynamic_cast<C*>(FindControl(name));
  }
  std::vector<TControl*> AllControls() const;
  TTimer* FindTimer(std::string_view name) const;
  const std::string& ClassName() const { return className_; }

  TNotifyEvent OnCreate;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TCloseEvent OnClose;
  // A close from the window system runs this when it is bound, and nothing
  // else. Unbound, such a close closes a form that has a close box (Close)
  // and is refused by one that has none: some window managers send it
  // whatever the border asked for, and a window without a close box is
  // left through its own controls.
  TNotifyEvent OnCloseRequest;

  // Loads the description `resourceName` (":/forms/<resourceName>.form")
  // into this form, binds it and runs the create handler.
  void Load(std::string_view resourceName);
  // The same from description text (tests).
  void LoadFromText(std::string_view text, std::string_view sourceName = "<text>");

 protected:
  // The form class names its controls and handlers here.
  virtual void DeclareBindings(TFormBinder& binder) = 0;

 private:
  std::string className_;
  bool shown_ = false;
  std::vector<std::unique_ptr<TComponent>> owned_;
  std::vector<std::unique_ptr<TTimer>> timers_;
  friend class TFormLoader;
};

// What DeclareBindings fills in.
class TFormBinder {
 public:
  // Any handler a description can bind (the member templates below are named Handler).
  using AnyHandler = std::variant<TNotifyEvent, TCloseEvent, TMouseEvent, TKeyEvent>;

  // The control (or timer) of this name must exist in the description with this kind.
  template <class C>
  void Control(std::string_view name, C*& slot) {
    static_assert(std::is_base_of_v<TComponent, C>);
    controls_.push_back({std::string(name), [&slot](TComponent* c) -> bool {
                           slot = dynamic_cast<C*>(c);
                           return slot != nullptr;
                         }});
  }

  // A handler the description may bind by name.
  template <class F>
  void Handler(std::string_view name, F* form, void (F::*method)()) {
    handlers_.push_back({std::string(name), TNotifyEvent([form, method] { (form->*method)(); })});
  }
  template <class F>
  void Handler(std::string_view name, F* form, void (F::*method)(TCloseAction&)) {
    handlers_.push_back(
        {std::string(name), TCloseEvent([form, method](TCloseAction& a) { (form->*method)(a); })});
  }
  template <class F>
  void Handler(std::string_view name, F* form, void (F::*method)(TMouseButton, int, int)) {
    handlers_.push_back(
        {std::string(name),
         TMouseEvent([form, method](TMouseButton b, int x, int y) { (form->*method)(b, x, y); })});
  }
  template <class F>
  void Handler(std::string_view name, F* form, void (F::*method)(uint16_t&)) {
    handlers_.push_back(
        {std::string(name), TKeyEvent([form, method](uint16_t& k) { (form->*method)(k); })});
  }

  struct ControlSlot {
    std::string name;
    std::function<bool(TComponent*)> assign;
  };
  struct NamedHandler {
    std::string name;
    AnyHandler handler;
  };
  const std::vector<ControlSlot>& Controls() const { return controls_; }
  const std::vector<NamedHandler>& Handlers() const { return handlers_; }

 private:
  std::vector<ControlSlot> controls_;
  std::vector<NamedHandler> handlers_;
};

}  // namespace ui
