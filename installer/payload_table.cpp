// The payload table compiled into the installer. The sizes come from the
// header the build writes after it has made the files it appends, so the
// table and the appended files always agree.
#include <algorithm>

#include "installer/image.h"
#include "installer/payload_sizes.h"

namespace vek::installer {
namespace {

constexpr TPayloadTable kShipped{{
    {ProgramFileName, payload_sizes::Program},
    {ReadmeFileName, payload_sizes::Readme},
    {IconFileName, payload_sizes::Icon},
}};

static_assert(std::ranges::all_of(kShipped, [](const TPayloadEntry& e) {
  return e.Name.size() <= PayloadNameCapacity && e.Size > 0;
}));
static_assert(PayloadTableTotal(kShipped).has_value(), "the payload must fit 31 bits");

}  // namespace

const TPayloadTable& ShippedPayloadTable() {
  return kShipped;
}

}  // namespace vek::installer
