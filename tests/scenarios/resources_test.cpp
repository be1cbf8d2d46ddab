// The resources built into BoreluSetup.exe: icon group, manifest and version information.

#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "process_runner.h"
#include "win/handles.h"
#include "win/text.h"

namespace borelu::testing {
namespace {

#pragma pack(push, 2)
struct IconGroupEntry {
  BYTE width;
  BYTE height;
  BYTE colours;
  BYTE reserved;
  WORD planes;
  WORD bitCount;
  DWORD bytes;
  WORD id;
};
struct IconGroupHeader {
  WORD reserved;
  WORD type;
  WORD count;
};
#pragma pack(pop)

class Resources : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ =
        win::Module(LoadLibraryExW(program_path("BORELU_SETUP_EXE").c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    ASSERT_TRUE(module_);
  }

  std::string resource(const wchar_t* type, int id) {
    HRSRC found = FindResourceW(module_.get(), MAKEINTRESOURCEW(id), type);
    if (found == nullptr) {
      return {};
    }
    const auto* data = static_cast<const char*>(LockResource(LoadResource(module_.get(), found)));
    return std::string(data, SizeofResource(module_.get(), found));
  }

  win::Module module_;
};

TEST_F(Resources, IconGroupOneHoldsEightSizesFrom16To256) {
  const std::string group = resource(MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */, 1);
  ASSERT_GE(group.size(), sizeof(IconGroupHeader));
  const auto* header = reinterpret_cast<const IconGroupHeader*>(group.data());
  EXPECT_EQ(header->type, 1);
  ASSERT_EQ(header->count, 8);
  ASSERT_EQ(group.size(), sizeof(IconGroupHeader) + 8 * sizeof(IconGroupEntry));
  std::set<int> sizes;
  const auto* entries =
      reinterpret_cast<const IconGroupEntry*>(group.data() + sizeof(IconGroupHeader));
  for (int i = 0; i < 8; ++i) {
    const int size = entries[i].width == 0 ? 256 : entries[i].width;
    EXPECT_EQ(entries[i].bitCount, 32);
    sizes.insert(size);
    EXPECT_FALSE(resource(MAKEINTRESOURCEW(3) /* RT_ICON */, entries[i].id).empty());
  }
  EXPECT_EQ(sizes, (std::set<int>{16, 20, 24, 32, 40, 48, 64, 256}));
}

TEST_F(Resources, ManifestAsksForPerMonitorDpiCommonControlsAndAsInvoker) {
  const std::string manifest = resource(MAKEINTRESOURCEW(24) /* RT_MANIFEST */, 1);
  ASSERT_FALSE(manifest.empty());
  EXPECT_NE(
      manifest.find("<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">"
                    "PerMonitorV2, PerMonitor</dpiAwareness>"),
      std::string::npos);
  EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
            std::string::npos);
  EXPECT_NE(manifest.find("<requestedExecutionLevel level=\"asInvoker\""), std::string::npos);
}

TEST_F(Resources, TestBuildSaysSoInItsVersionDescription) {
  const std::wstring path = program_path("BORELU_SETUP_EXE");
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<char> block(size);
  ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));
  wchar_t* text = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\StringFileInfo\\040904B0\\FileDescription",
                             reinterpret_cast<void**>(&text), &length));
  EXPECT_EQ(std::wstring(text), L"Borelu Setup (test build, not for release)");
  VS_FIXEDFILEINFO* fixed = nullptr;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_TRUE(fixed->dwFileFlags & VS_FF_PRERELEASE);
}

}  // namespace
}  // namespace borelu::testing
