#include "inicontrol/engine/IniSession.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "TempFolder.h"

namespace brevoni {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

// Files in memory; a replace can be made to fail, and reads and replaces are
// counted. A file's last-write time is the count of writes to it, which
// changes only through Write and ReplaceAtomically: a test that sets
// files[...] itself stands for a write within the same clock tick. Stamps
// are unsettled unless a test says otherwise, so that such writes are seen.
class MemoryStore final : public FileStore {
 public:
  std::optional<FileContent> Load(const std::filesystem::path& file) override {
    ++loads;
    if (!unreadable.empty() && file == unreadable) throw IniError("cannot read " + file.string() + ": broken disk");
    std::optional<FileStamp> stamp = Stamp(file);
    if (!stamp) return std::nullopt;
    return FileContent{files[file.string()], *stamp};
  }
  std::optional<FileStamp> Stamp(const std::filesystem::path& file) override {
    auto it = files.find(file.string());
    if (it == files.end()) return std::nullopt;
    FileStamp stamp;
    stamp.index = std::hash<std::string>()(it->first);
    stamp.size = it->second.size();
    stamp.lastWrite = writes[it->first];
    stamp.settled = settled;
    return stamp;
  }
  void ReplaceAtomically(const std::filesystem::path& file, std::string_view bytes) override {
    ++replaces;
    if (refuseWrites) throw IniError("cannot write " + file.string() + ": disk full");
    Write(file.string(), std::string(bytes));
  }
  // Another writer's change.
  void Write(const std::string& file, std::string bytes) {
    files[file] = std::move(bytes);
    ++writes[file];
  }
  std::map<std::string, std::string> files;
  std::map<std::string, std::int64_t> writes;
  std::filesystem::path unreadable;
  bool refuseWrites = false;
  bool settled = false;
  int loads = 0;
  int replaces = 0;
};

// A session on files in memory.
class InMemory : public ::testing::Test {
 protected:
  MemoryStore store;
  IniSession session{store};
};
using IniSessionBatch = InMemory;
using IniSessionImages = InMemory;

class IniSessionTest : public ::testing::Test {
 protected:
  std::unique_ptr<FileStore> store = MakeNativeFileStore();
  IniSession session{*store};
  TempFolder folder;
  std::filesystem::path cue = folder / "cue.ini";
};

TEST_F(IniSessionTest, MissingFileSectionOrKeyReadsAsNotFound) {
  EXPECT_EQ(session.ReadINI(L"Position", L"Left", cue), kNotFound);
  session.WriteINI(L"Position", L"Left", L"1", cue);
  EXPECT_EQ(session.ReadINI(L"Other", L"Left", cue), kNotFound);
  EXPECT_EQ(session.ReadINI(L"Position", L"Top", cue), kNotFound);
  EXPECT_EQ(session.LastError(), "");
}

TEST_F(IniSessionTest, NoFileNameAtAllReadsNothingAndWritesNothing) {
  EXPECT_EQ(session.ReadINI(L"s", L"k", L""), kNotFound);
  EXPECT_NE(session.LastError(), "");
  session.WriteINI(L"s", L"k", L"v", L"");
  EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

TEST_F(IniSessionTest, AWriteThatChangesNothingLeavesTheFileAsItIs) {
  WriteBytes(cue, "[s]\r\n\r\n   k = v   \r\n");
  session.WriteINI(L"S", L"K", L"v", cue);
  session.DeleteINI(L"s", L"missing", cue);
  EXPECT_EQ(ReadBytes(cue), "[s]\r\n\r\n   k = v   \r\n");
  session.WriteINI(L"s", L"k", L"w", cue);
  EXPECT_EQ(ReadBytes(cue), "[s]\r\nk=w\r\n");
}

TEST_F(IniSessionTest, DeleteRemovesAKeyOrWithAnEmptyKeyTheWholeSection) {
  session.WriteINI(L"a", L"k1", L"1", cue);
  session.WriteINI(L"a", L"k2", L"2", cue);
  session.WriteINI(L"b", L"k", L"3", cue);
  session.DeleteINI(L"A", L"K1", cue);
  EXPECT_EQ(ReadBytes(cue), "[a]\r\nk2=2\r\n[b]\r\nk=3\r\n");
  session.DeleteINI(L"a", L"", cue);
  EXPECT_EQ(ReadBytes(cue), "[b]\r\nk=3\r\n");
}

TEST_F(IniSessionTest, AFailedWriteIsReportedOnlyThroughLastError) {
  const auto nowhere = folder / "missing-folder" / "cue.ini";
  session.WriteINI(L"s", L"k", L"v", nowhere);
  EXPECT_NE(session.LastError().find("cue.ini"), std::string::npos) << session.LastError();
  EXPECT_FALSE(std::filesystem::exists(nowhere.parent_path()));
  session.WriteINI(L"s", L"k", L"v", cue);
  EXPECT_NE(session.LastError(), "") << "a success leaves the last failure";
}

TEST_F(IniSessionBatch, EditsStayInMemoryUntilTheCommitWritesThemOnce) {
  store.files["cue.ini"] = "[Total Count]\r\nCount=1\r\n";
  session.BeginUpdate("cue.ini");
  for (int i = 1; i <= 100; ++i) session.WriteINI(L"Saved Commands", L"name" + std::to_wstring(i), L"x", L"cue.ini");
  session.WriteINI(L"Total Count", L"Count", L"100", L"cue.ini");
  EXPECT_EQ(session.ReadINI(L"total count", L"count", L"cue.ini"), L"100");
  EXPECT_EQ(store.files["cue.ini"], "[Total Count]\r\nCount=1\r\n");
  EXPECT_EQ(store.loads, 1);
  EXPECT_TRUE(session.CommitUpdate());
  EXPECT_EQ(store.replaces, 1);
  EXPECT_FALSE(session.InUpdate());
  EXPECT_EQ(IniDocument::Parse(store.files["cue.ini"]).Get("Saved Commands", "name100").value_or("-"), "x");
}

TEST_F(IniSessionBatch, TheStoredNameSelectsTheBatchFileWhenNoneIsGiven) {
  session.SetINIFileName("cue.ini");
  session.BeginUpdate("");
  session.WriteINI(L"s", L"k", L"v", L"");
  session.WriteINI(L"s", L"k2", L"v", L"./cue.ini");
  EXPECT_TRUE(store.files.empty());
  EXPECT_TRUE(session.CommitUpdate());
  EXPECT_EQ(store.files["cue.ini"], "[s]\r\nk=v\r\nk2=v\r\n");
}

TEST_F(IniSessionBatch, CallsNamingAnotherFileGoStraightToDisk) {
  session.BeginUpdate("cue.ini");
  session.WriteINI(L"Winamp", L"Exe", L"C:\\w.exe", L"winamp.ini");
  EXPECT_EQ(store.files["winamp.ini"], "[Winamp]\r\nExe=C:\\w.exe\r\n");
  session.CancelUpdate();
  EXPECT_EQ(store.files.count("cue.ini"), 0u);
}

TEST_F(IniSessionBatch, CancelAndASecondBeginDropPendingEdits) {
  session.BeginUpdate("cue.ini");
  session.WriteINI(L"s", L"dropped", L"1", L"cue.ini");
  session.BeginUpdate("cue.ini");
  EXPECT_EQ(session.ReadINI(L"s", L"dropped", L"cue.ini"), kNotFound);
  session.WriteINI(L"s", L"kept", L"1", L"cue.ini");
  EXPECT_TRUE(session.CommitUpdate());
  session.BeginUpdate("cue.ini");
  session.DeleteINI(L"s", L"", L"cue.ini");
  session.CancelUpdate();
  EXPECT_EQ(store.files["cue.ini"], "[s]\r\nkept=1\r\n");
  session.CancelUpdate();  // nothing open: no effect
}

TEST_F(IniSessionBatch, ACommitWithoutChangesOrWithoutBatchWritesNothing) {
  EXPECT_FALSE(session.CommitUpdate());
  EXPECT_NE(session.LastError().find("BeginUpdate"), std::string::npos);
  session.BeginUpdate("cue.ini");
  session.WriteINI(L"s", L"k", L"v", L"other.ini");
  EXPECT_TRUE(session.CommitUpdate());
  EXPECT_EQ(store.replaces, 1);  // only other.ini
}

TEST_F(IniSessionBatch, AFailedCommitLeavesTheOldFileAndClosesTheBatch) {
  store.files["cue.ini"] = "[s]\r\nk=old\r\n";
  session.BeginUpdate("cue.ini");
  session.WriteINI(L"s", L"k", L"new", L"cue.ini");
  store.refuseWrites = true;
  EXPECT_FALSE(session.CommitUpdate());
  EXPECT_EQ(session.LastError(), "cannot write cue.ini: disk full");
  EXPECT_FALSE(session.InUpdate());
  EXPECT_EQ(store.files["cue.ini"], "[s]\r\nk=old\r\n");
}

TEST_F(IniSessionBatch, ACommitOverAFileChangedSinceBeginUpdateLeavesTheOtherWritersChange) {
  for (const bool created : {false, true}) {
    SCOPED_TRACE(created ? "created meanwhile" : "changed meanwhile");
    store.files.clear();
    if (!created) store.Write("cue.ini", "[s]\r\nk=old\r\n");
    session.BeginUpdate("cue.ini");
    session.WriteINI(L"s", L"k", L"mine", L"cue.ini");
    store.Write("cue.ini", "[s]\r\nk=theirs\r\n");
    EXPECT_FALSE(session.CommitUpdate());
    EXPECT_NE(session.LastError().find("another program changed the file"), std::string::npos) << session.LastError();
    EXPECT_EQ(store.files["cue.ini"], "[s]\r\nk=theirs\r\n");
    EXPECT_EQ(session.ReadINI(L"s", L"k", L"cue.ini"), L"theirs");
  }
}

TEST_F(IniSessionBatch, AnUnreadableFileFailsTheWholeBatchAtCommit) {
  store.files["cue.ini"] = "[s]\r\nk=old\r\n";
  store.unreadable = "cue.ini";
  session.BeginUpdate("cue.ini");
  EXPECT_TRUE(session.InUpdate());
  EXPECT_EQ(session.ReadINI(L"s", L"k", L"cue.ini"), kNotFound);
  session.WriteINI(L"s", L"k", L"new", L"cue.ini");
  EXPECT_FALSE(session.CommitUpdate());
  EXPECT_NE(session.LastError().find("broken disk"), std::string::npos) << session.LastError();
  EXPECT_EQ(store.replaces, 0);
}

// Callers that know no batch: the image of each file is kept between calls.

TEST_F(IniSessionImages, ASettledFileIsReadOnceForAnyNumberOfCalls) {
  store.settled = true;
  store.Write("cue.ini", "[s]\r\nk=1\r\nk2=2\r\n");
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(session.ReadINI(L"s", L"k", L"cue.ini"), L"1");
    EXPECT_EQ(session.ReadINI(L"S", L"K2", L"cue.ini"), L"2");
  }
  EXPECT_EQ(session.ReadINI(L"s", L"k3", L"cue.ini"), kNotFound);
  EXPECT_EQ(store.loads, 1);
}

TEST_F(IniSessionImages, AnyChangeToTheFileIsSeenByTheNextCall) {
  const struct {
    const char* change;
    bool settled;
    std::function<void(MemoryStore&)> make;
    std::wstring expected;
  } cases[] = {
      {"another writer's", true, [](MemoryStore& s) { s.Write("cue.ini", "[s]\r\nk=22\r\n"); }, L"22"},
      {"the same size within the same clock tick", false, [](MemoryStore& s) { s.files["cue.ini"] = "[s]\r\nk=2\r\n"; },
       L"2"},
      {"removal", true, [](MemoryStore& s) { s.files.erase("cue.ini"); }, std::wstring(kNotFound)},
  };
  for (const auto& c : cases) {
    MemoryStore files;
    files.settled = c.settled;
    files.Write("cue.ini", "[s]\r\nk=1\r\n");
    IniSession fresh(files);
    EXPECT_EQ(fresh.ReadINI(L"s", L"k", L"cue.ini"), L"1") << c.change;
    c.make(files);
    EXPECT_EQ(fresh.ReadINI(L"s", L"k", L"cue.ini"), c.expected) << c.change;
  }
}

TEST_F(IniSessionImages, WritesStartFromTheKeptImageAndOneThatFailsIsForgotten) {
  store.settled = true;
  store.Write("cue.ini", "[s]\r\nk=1\r\n[t]\r\nk=1\r\n");
  session.WriteINI(L"s", L"k2", L"2", L"cue.ini");
  session.DeleteINI(L"s", L"k", L"cue.ini");
  session.DeleteINI(L"t", L"", L"cue.ini");
  session.WriteINI(L"s", L"k", L"3", L"cue.ini");
  EXPECT_EQ(store.files["cue.ini"], "[s]\r\nk2=2\r\nk=3\r\n");
  EXPECT_EQ(session.ReadINI(L"s", L"k", L"cue.ini"), L"3");
  EXPECT_EQ(session.ReadINI(L"t", L"k", L"cue.ini"), kNotFound);
  EXPECT_EQ(store.loads, 1);
  store.refuseWrites = true;
  session.WriteINI(L"s", L"k2", L"lost", L"cue.ini");
  EXPECT_EQ(session.ReadINI(L"s", L"k2", L"cue.ini"), L"2");
}

// Texts that the file's format cannot hold as they are: the kept image must
// read what the written file reads, for this caller as for any other.
TEST_F(IniSessionImages, AKeptImageReadsAsItsFileAfterAWriteTheFormatCannotHold) {
  const struct {
    const char* what;
    const wchar_t* section;
    const wchar_t* key;
    const wchar_t* value;
  } kCases[] = {
      {"line break in a value", L"s", L"k", L"one\r\ntwo=2"},
      {"line break in a key", L"s", L"k\nx", L"1"},
      {"'=' in a key", L"s", L"k=x", L"1"},
      {"a key that reads as a section", L"s", L"[t]", L""},
      {"line break in a section", L"s\n[t]", L"k", L"1"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    store.settled = true;
    store.Write("cue.ini", "[s]\r\nk=0\r\n[t]\r\nk=0\r\n");
    session.WriteINI(c.section, c.key, c.value, L"cue.ini");
    MemoryStore fresh;
    fresh.files["cue.ini"] = store.files["cue.ini"];
    IniSession reader(fresh);
    for (const wchar_t* section : {L"s", L"t", c.section})
      for (const wchar_t* key : {L"k", L"two", L"x", L"k=x", L"[t]", L"k\nx", c.key})
        EXPECT_EQ(session.ReadINI(section, key, L"cue.ini"), reader.ReadINI(section, key, L"cue.ini"))
            << ::testing::PrintToString(std::wstring(section)) << " " << ::testing::PrintToString(std::wstring(key));
  }
}

TEST_F(IniSessionImages, ABatchStartsFromTheKeptImageAndLeavesItsOwnKept) {
  store.settled = true;
  store.Write("cue.ini", "[s]\r\nk=1\r\n");
  EXPECT_EQ(session.ReadINI(L"s", L"k", L"cue.ini"), L"1");
  session.BeginUpdate("cue.ini");
  session.WriteINI(L"s", L"k", L"2", L"cue.ini");
  EXPECT_TRUE(session.CommitUpdate());
  EXPECT_EQ(session.ReadINI(L"s", L"k", L"cue.ini"), L"2");
  EXPECT_EQ(store.loads, 1);
}

TEST_F(IniSessionImages, ABatchThatChangedNothingLeavesTheImageKeptAndOneThatChangedIsDropped) {
  store.settled = true;
  store.Write("cue.ini", "[s]\r\nk=1\r\n");
  const struct {
    const char* batch;
    std::function<void(IniSession&)> run;
  } unchanged[] = {
      {"a read and a commit",
       [](IniSession& s) {
         s.BeginUpdate("cue.ini");
         s.ReadINI(L"s", L"k", L"cue.ini");
         s.WriteINI(L"s", L"k", L"1", L"cue.ini");
         s.DeleteINI(L"s", L"missing", L"cue.ini");
         s.CommitUpdate();
       }},
      {"a cancel", [](IniSession& s) { s.BeginUpdate(""); s.CancelUpdate(); }},
      {"a second begin", [](IniSession& s) { s.BeginUpdate("cue.ini"); s.BeginUpdate("cue.ini"); s.CommitUpdate(); }},
  };
  session.SetINIFileName("cue.ini");
  for (const auto& c : unchanged) {
    c.run(session);
    EXPECT_EQ(session.ReadINI(L"s", L"k", L"cue.ini"), L"1") << c.batch;
  }
  EXPECT_EQ(store.loads, 1);
  session.BeginUpdate("cue.ini");
  session.WriteINI(L"s", L"k", L"cancelled", L"cue.ini");
  session.CancelUpdate();
  EXPECT_EQ(session.ReadINI(L"s", L"k", L"cue.ini"), L"1");
}

TEST_F(IniSessionImages, OnlyTheMostRecentlyUsedFilesAreKept) {
  store.settled = true;
  auto name = [](std::size_t i) { return std::to_string(i) + ".ini"; };
  for (std::size_t i = 0; i <= IniSession::kKeptImages; ++i) {
    store.Write(name(i), "[s]\r\nk=" + std::to_string(i) + "\r\n");
    EXPECT_EQ(session.ReadINI(L"s", L"k", name(i)), std::to_wstring(i));
  }
  const int loads = store.loads;
  EXPECT_EQ(session.ReadINI(L"s", L"k", name(IniSession::kKeptImages)), std::to_wstring(IniSession::kKeptImages));
  EXPECT_EQ(store.loads, loads);
  EXPECT_EQ(session.ReadINI(L"s", L"k", name(0)), L"0");
  EXPECT_EQ(store.loads, loads + 1);
}

}  // namespace
}  // namespace brevoni
