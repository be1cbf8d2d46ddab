#include "storage/link_rule.h"

namespace borelu::storage {

bool redirects(const ReparseView& view) {
  if (!view.handleReparse && !view.pathReparse) {
    return false;
  }
  if (!view.handleReparse || view.tag == 0) {
    return true;  // seen without its tag: nothing tells where it leads
  }
  const bool cloud = (view.tag & ~CLOUD_SUBTYPE_MASK) == CLOUD_TAG;
  return !(cloud || view.tag == WOF_TAG || view.tag == DEDUP_TAG);
}

}  // namespace borelu::storage
