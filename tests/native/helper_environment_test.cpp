#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "apply/child_environment.h"

namespace borelu::apply {
namespace {

// The strings of a block, in order.
std::vector<std::wstring> entries_of(const std::wstring& block) {
  EXPECT_TRUE(block.ends_with(std::wstring(2, L'\0')) || block == std::wstring(1, L'\0'));
  std::vector<std::wstring> entries;
  for (std::size_t start = 0; start < block.size() && block[start] != L'\0';) {
    const std::size_t end = block.find(L'\0', start);
    entries.push_back(block.substr(start, end - start));
    start = end + 1;
  }
  return entries;
}

TEST(HelperEnvironment, TheFixedValuesReplaceTheWorkersWhateverTheirCase) {
  const std::vector<std::wstring> current{L"Path=C:\\Users\\u\\bin;C:\\Windows",
                                          L"USERNAME=u",
                                          L"tmp=C:\\Users\\u\\Temp",
                                          L"=C:=C:\\Users\\u\\Downloads",
                                          L"windir=C:\\Users\\u\\fake",
                                          L"BORELU_TEST_INSTALLER=silent-failure"};
  const std::vector<EnvironmentValue> fixed{{L"TEMP", L"C:\\M\\work-1\\temp"},
                                            {L"TMP", L"C:\\M\\work-1\\temp"},
                                            {L"PATH", L"C:\\Windows\\system32"},
                                            {L"windir", L"C:\\Windows"}};
  EXPECT_EQ(entries_of(helper_environment(current, fixed)),
            (std::vector<std::wstring>{
                L"=C:=C:\\Users\\u\\Downloads", L"BORELU_TEST_INSTALLER=silent-failure",
                L"PATH=C:\\Windows\\system32", L"TEMP=C:\\M\\work-1\\temp",
                L"TMP=C:\\M\\work-1\\temp", L"USERNAME=u", L"windir=C:\\Windows"}));
}

TEST(HelperEnvironment, TheRemovedNamesAreGoneWhateverTheirCase) {
  const std::vector<std::wstring> current{L"borelu_timeline=C:\\Users\\u\\linked.log",
                                          L"BORELU_TIMELINE_NOT=kept", L"USERNAME=u"};
  const std::vector<std::wstring_view> removed{L"BORELU_TIMELINE"};
  EXPECT_EQ(entries_of(helper_environment(current, {}, removed)),
            (std::vector<std::wstring>{L"BORELU_TIMELINE_NOT=kept", L"USERNAME=u"}));
}

}  // namespace
}  // namespace borelu::apply
