#include "apply/link_rule.h"

namespace borelu::apply {

bool redirects(const ReparseView& view) {
  if (!view.handleReparse && !view.pathReparse) {
    return false;
  }
  if (!view.handleReparse || view.tag == 0) {
    return true;  // seen without its tag: nothing tells where it leads
  }
  return (view.tag & NAME_SURROGATE_BIT) != 0;
}

}  // namespace borelu::apply
