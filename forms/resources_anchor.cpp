// The resource libraries carry only compiled-in files; this unit gives the
// archive a member of its own.
namespace vek::forms {
int ResourcesAnchor() {
  return 0;
}
}  // namespace vek::forms
