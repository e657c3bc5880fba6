// A writer process is killed at random moments while it rewrites a file
// through the control: whatever survives must be one whole written version.
#include <random>

#include "Support.h"
#include "WriterVersions.h"
#include "inicontrol/engine/IniDocument.h"

namespace brevoni::testing {
namespace {

std::string VersionBytes(int v) {
  IniDocument document;
  for (const auto& [key, value] : WriterVersion(v)) document.Set(kWriterSection, key, value);
  return document.Serialize();
}

using Crash = ControlTest;

TEST_F(Crash, AKilledWriterLeavesOnlyWholeVersions) {
  const std::wstring file = File(L"cue.ini");
  WriteBytes(file, VersionBytes(0));
  const std::wstring writer = client::BesideThisProgram(L"brevoni_writer.exe").native();
  std::mt19937 random(20240601);
  std::uniform_int_distribution<DWORD> moment(20, 400);
  int version = 0;
  int advanced = 0;
  for (int round = 0; round < 25; ++round) {
    win32::unique_handle process =
        StartProcess(L"\"" + writer + L"\" versions \"" + file + L"\" " + std::to_wstring(version + 1));
    ASSERT_TRUE(process) << GetLastError();
    // The writer never ends by itself; the timeout is the chosen moment to kill it.
    ASSERT_EQ(WaitForSingleObject(process.get(), moment(random)), static_cast<DWORD>(WAIT_TIMEOUT))
        << "the writer stopped by itself";
    ASSERT_TRUE(TerminateProcess(process.get(), 9));
    WaitForSingleObject(process.get(), INFINITE);

    const std::string bytes = ReadBytes(file);
    const auto found = IniDocument::Parse(bytes).Get(kWriterSection, "version");
    ASSERT_TRUE(found.has_value()) << "round " << round << ": the file lost its version key";
    const int survived = std::stoi(*found);
    ASSERT_TRUE(bytes == VersionBytes(survived))
        << "round " << round << ": version " << survived << " is not whole (" << bytes.size() << " bytes)";
    ASSERT_GE(survived, version);
    if (survived > version) ++advanced;
    version = survived;
  }
  EXPECT_GE(advanced, 5) << "the writer should have completed versions in many rounds";
}

}  // namespace
}  // namespace brevoni::testing
