// The guide program as built: the libraries it imports and what its manifest
// tells Windows, read out of the .exe the way the system reads them.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace halvora {
namespace {

// The built program; CTest names it in HALVORA_GUIDE_PROGRAM.
std::wstring ProgramPath() {
  const wchar_t* path = ::_wgetenv(L"HALVORA_GUIDE_PROGRAM");
  return path != nullptr ? path : L"";
}

// The program mapped as an image, sections at their addresses, none of its
// code run and none of its imports loaded.
class MappedProgram {
 public:
  MappedProgram() : module_(::LoadLibraryExW(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {}
  ~MappedProgram() {
    if (module_ != nullptr) ::FreeLibrary(module_);
  }
  bool ok() const { return module_ != nullptr; }

  template <typename T>
  const T* At(DWORD address) const {
    // The low bits of a module mapped as a resource mark it as such.
    const auto base = reinterpret_cast<uintptr_t>(module_) & ~uintptr_t{3};
    return reinterpret_cast<const T*>(base + address);
  }
  const IMAGE_DATA_DIRECTORY& Directory(int entry) const {
    const auto* nt = At<IMAGE_NT_HEADERS64>(At<IMAGE_DOS_HEADER>(0)->e_lfanew);
    return nt->OptionalHeader.DataDirectory[entry];
  }

 private:
  HMODULE module_;
};

std::set<std::string> ImportedLibraries(const MappedProgram& program) {
  std::set<std::string> names;
  const IMAGE_DATA_DIRECTORY& imports = program.Directory(IMAGE_DIRECTORY_ENTRY_IMPORT);
  if (imports.VirtualAddress == 0) return names;
  for (auto* entry = program.At<IMAGE_IMPORT_DESCRIPTOR>(imports.VirtualAddress); entry->Name != 0; ++entry) {
    std::string name = program.At<char>(entry->Name);
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    names.insert(name);
  }
  return names;
}

// Libraries Windows maps from the system folder whatever the search order:
// the KnownDLLs that every supported version (7 to 11) lists, and the common
// controls, which the manifest redirects to the system's side-by-side copy.
const std::set<std::string> kSystemMapped = {
    "advapi32.dll", "comdlg32.dll", "gdi32.dll",   "imagehlp.dll", "imm32.dll",   "kernel32.dll", "msctf.dll",
    "msvcrt.dll",   "normaliz.dll", "nsi.dll",     "ole32.dll",    "oleaut32.dll", "psapi.dll",   "rpcrt4.dll",
    "sechost.dll",  "setupapi.dll", "shell32.dll", "shlwapi.dll",  "user32.dll",  "wldap32.dll",  "ws2_32.dll",
    "comctl32.dll"};

TEST(ProgramImage, ImportsOnlyLibrariesThatWindowsMapsFromTheSystemFolder) {
  const MappedProgram program;
  ASSERT_TRUE(program.ok()) << "cannot map " << ::testing::PrintToString(ProgramPath());
  const std::set<std::string> imports = ImportedLibraries(program);
  EXPECT_TRUE(imports.count("kernel32.dll") && imports.count("user32.dll")) << "the import table was not read";
  for (const std::string& name : imports) EXPECT_TRUE(kSystemMapped.count(name)) << name << " could be planted";
  EXPECT_EQ(program.Directory(IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT).Size, 0u)
      << "delay-loaded libraries are searched for like any other";
}

// The manifest as Windows applies it when the program starts.
class ProgramContext {
 public:
  ProgramContext() {
    const std::wstring path = ProgramPath();
    ACTCTXW request{};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = path.c_str();
    request.lpResourceName = CREATEPROCESS_MANIFEST_RESOURCE_ID;
    context_ = ::CreateActCtxW(&request);
  }
  ~ProgramContext() {
    if (ok()) ::ReleaseActCtx(context_);
  }
  bool ok() const { return context_ != INVALID_HANDLE_VALUE; }

  std::wstring Setting(const wchar_t* nameSpace, const wchar_t* name) const {
    wchar_t value[64] = {};
    SIZE_T written = 0;
    if (!::QueryActCtxSettingsW(0, context_, nameSpace, name, value, 64, &written)) return L"(none)";
    return value;
  }
  std::vector<BYTE> Query(ACTIVATION_CONTEXT_INFO_CLASS what) const {
    std::vector<BYTE> bytes(1024);
    SIZE_T written = 0;
    if (!::QueryActCtxW(0, context_, nullptr, what, bytes.data(), bytes.size(), &written)) return {};
    bytes.resize(written);
    return bytes;
  }
  // True when, inside the context, `library` is redirected to an assembly.
  bool Redirects(const wchar_t* library) const {
    ULONG_PTR cookie = 0;
    if (!::ActivateActCtx(context_, &cookie)) return false;
    ACTCTX_SECTION_KEYED_DATA data{};
    data.cbSize = sizeof data;
    const BOOL found =
        ::FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, library, &data);
    ::DeactivateActCtx(0, cookie);
    return found != FALSE;
  }

 private:
  HANDLE context_ = INVALID_HANDLE_VALUE;
};

TEST(ProgramManifest, DeclaresDpiAwarenessInvokerLevelSystemsAndCommonControls) {
  const ProgramContext context;
  ASSERT_TRUE(context.ok()) << "the manifest was refused: error " << ::GetLastError();

  // Per-monitor v2 where the system knows it, per-monitor before that; the
  // older setting for systems that read only dpiAware.
  struct Setting {
    const wchar_t* nameSpace;
    const wchar_t* name;
    const wchar_t* value;
  };
  for (const Setting& s : {Setting{L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware", L"true/pm"},
                           Setting{L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness",
                                   L"PerMonitorV2, PerMonitor"}}) {
    EXPECT_EQ(context.Setting(s.nameSpace, s.name), s.value) << ::testing::PrintToString(std::wstring(s.name));
  }

  const std::vector<BYTE> runLevel = context.Query(RunlevelInformationInActivationContext);
  ASSERT_GE(runLevel.size(), sizeof(ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION));
  const auto* level = reinterpret_cast<const ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION*>(runLevel.data());
  EXPECT_EQ(level->RunLevel, ACTCTX_RUN_LEVEL_AS_INVOKER);
  EXPECT_EQ(level->UiAccess, 0u);

  // Found by their bytes: the record's layout grew between Windows versions.
  const std::vector<BYTE> compatibility = context.Query(CompatibilityInformationInActivationContext);
  struct System {
    const char* name;
    GUID id;
  };
  const System systems[] = {
      {"7", {0x35138b9a, 0x5d96, 0x4fbd, {0x8e, 0x2d, 0xa2, 0x44, 0x02, 0x25, 0xf9, 0x3a}}},
      {"8", {0x4a2f28e3, 0x53b9, 0x4441, {0xba, 0x9c, 0xd6, 0x9d, 0x4a, 0x4a, 0x6e, 0x38}}},
      {"8.1", {0x1f676c76, 0x80e1, 0x4239, {0x95, 0xbb, 0x83, 0xd0, 0xf6, 0xd0, 0xda, 0x78}}},
      {"10/11", {0x8e0f7a12, 0xbfb3, 0x4fe8, {0xb9, 0xa5, 0x48, 0xfd, 0x50, 0xa1, 0x5a, 0x9a}}},
  };
  for (const System& system : systems) {
    const auto* id = reinterpret_cast<const BYTE*>(&system.id);
    const bool listed = std::search(compatibility.begin(), compatibility.end(), id, id + sizeof(GUID)) !=
                        compatibility.end();
    EXPECT_TRUE(listed) << "Windows " << system.name << " is not among the supported systems";
  }

  EXPECT_TRUE(context.Redirects(L"comctl32.dll")) << "no common controls 6";
}

}  // namespace
}  // namespace halvora
