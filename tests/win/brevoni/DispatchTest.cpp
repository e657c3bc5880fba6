// The control as its callers use it: late bound through IDispatch, by name
// (as a script host's CreateObject does) and by dispatch id.
#include "Support.h"

namespace brevoni::testing {
namespace {

using Microsoft::WRL::ComPtr;

using Dispatch = ControlTest;

// Creating the control by its name is the registration tests' part.
TEST_F(Dispatch, MembersAreFoundByNameInAnyCase) {
  const struct {
    const wchar_t* name;
    DISPID id;
  } members[] = {{L"WriteINI", kDispIdWriteINI},         {L"ReadINI", kDispIdReadINI},
                 {L"INIFileName", kDispIdINIFileName},   {L"BeginUpdate", kDispIdBeginUpdate},
                 {L"deleteini", kDispIdDeleteINI},       {L"CommitUpdate", kDispIdCommitUpdate},
                 {L"CancelUpdate", kDispIdCancelUpdate}};
  for (const auto& member : members) {
    LPOLESTR name = const_cast<LPOLESTR>(member.name);
    DISPID id = 0;
    EXPECT_EQ(control->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id), S_OK) << member.name;
    EXPECT_EQ(id, member.id) << member.name;
  }
  LPOLESTR unknown = const_cast<LPOLESTR>(L"NoSuchMember");
  DISPID id = 0;
  EXPECT_EQ(control->GetIDsOfNames(IID_NULL, &unknown, 1, LOCALE_USER_DEFAULT, &id), DISP_E_UNKNOWNNAME);
}

TEST_F(Dispatch, ReadAndWriteFollowTheProfileRules) {
  const std::wstring cue = File(L"cue.ini");
  VARIANT result;
  VariantInit(&result);
  result.vt = VT_I4;
  ASSERT_EQ(client::Call(control.Get(), kDispIdWriteINI, {L"Position", L"Left", L"120", cue}, &result), S_OK);
  EXPECT_EQ(result.vt, VT_EMPTY) << "WriteINI's result stays empty";
  EXPECT_EQ(ReadBytes(cue), "[Position]\r\nLeft=120\r\n");
  // Reads of every kind are compared with the platform's in the differential
  // tests; its files hold no empty or bracketed value.
  client::WriteINI(control.Get(), L"Position", L"Empty", L"", cue);
  client::WriteINI(control.Get(), L"Position", L"Bracket", L"[x]", cue);
  EXPECT_EQ(client::ReadINI(control.Get(), L"Position", L"Empty", cue), L"");
  EXPECT_EQ(client::ReadINI(control.Get(), L"Position", L"Bracket", cue), L"[x]");
}

TEST_F(Dispatch, TextsStayAnsiWhileTheCodePageHoldsThemThenTheFileTurnsUtf8) {
  ASSERT_EQ(GetACP(), 1252u) << "the expectations below are for Western European text";
  const std::wstring file = File(L"\u0416\u00e9.ini");  // a Cyrillic letter: not in the ANSI code page
  client::WriteINI(control.Get(), L"Caf\u00e9", L"K\u00e9y", L"\u00e9t\u00e9 \u20ac", file);
  EXPECT_EQ(ReadBytes(file), "[Caf\xe9]\r\nK\xe9y=\xe9t\xe9 \x80\r\n");
  client::WriteINI(control.Get(), L"Caf\u00e9", L"K\u00e9y", L"\u00e9t\u00e9 \u20ac \u0416", file);
  EXPECT_EQ(ReadBytes(file), "\xef\xbb\xbf[Caf\xc3\xa9]\r\nK\xc3\xa9y=\xc3\xa9t\xc3\xa9 \xe2\x82\xac \xd0\x96\r\n");
  EXPECT_EQ(client::ReadINI(control.Get(), L"Caf\u00e9", L"K\u00e9y", file), L"\u00e9t\u00e9 \u20ac \u0416");
}

TEST_F(Dispatch, TheStoredFileNameServesCallsWithoutOne) {
  const std::wstring cue = File(L"cue.ini"), other = File(L"other.ini");
  ASSERT_EQ(client::Call(control.Get(), kDispIdINIFileName, {cue}, nullptr, DISPATCH_PROPERTYPUT), S_OK);
  client::WriteINI(control.Get(), L"s", L"k", L"stored", L"");
  client::WriteINI(control.Get(), L"s", L"k", L"argument", other);
  EXPECT_EQ(client::ReadINI(control.Get(), L"s", L"k", L""), L"stored");
  EXPECT_EQ(client::ReadINI(control.Get(), L"s", L"k", other), L"argument");
  VARIANT name;
  VariantInit(&name);
  ASSERT_EQ(client::Call(control.Get(), kDispIdINIFileName, {}, &name, DISPATCH_PROPERTYGET), S_OK);
  EXPECT_EQ(client::Text(name), cue);
  VariantClear(&name);
  // A new instance starts without one.
  ComPtr<IDispatch> another;
  ASSERT_EQ(client::CreateFromFile(client::BuiltControlPath(), another), S_OK);
  ASSERT_EQ(client::Call(another.Get(), kDispIdINIFileName, {}, &name, DISPATCH_PROPERTYGET), S_OK);
  EXPECT_EQ(client::Text(name), L"");
  VariantClear(&name);
}

// Callers that know no batch get each file's image kept between calls; what
// another program writes meanwhile must still be seen by the next call.
TEST_F(Dispatch, ChangesThatAnotherProgramMakesAreSeenByTheNextCall) {
  const std::wstring writer = L"\"" + client::BesideThisProgram(L"brevoni_writer.exe").native() + L"\" ";
  const std::wstring cue = File(L"cue.ini"), source = File(L"source.ini");
  WriteBytes(source, "[s]\r\nk=3\r\n");
  const struct {
    const char* change;
    bool aged;  // the file was last written long before: its stamp alone decides
    std::wstring command;
    const wchar_t* expected;
  } cases[] = {
      {"through the platform's profile function", true, L"profile \"" + cue + L"\" s k 2", L"2"},
      {"the same size within the same second", false, L"rewrite \"" + cue + L"\" \"" + source + L"\"", L"3"},
  };
  for (const auto& c : cases) {
    WriteBytes(cue, "[s]\r\nk=1\r\n");
    if (c.aged) {
      std::filesystem::last_write_time(cue, std::filesystem::file_time_type::clock::now() - std::chrono::seconds(10));
    }
    EXPECT_EQ(client::ReadINI(control.Get(), L"s", L"k", cue), L"1") << c.change;
    ASSERT_EQ(RunToEnd(writer + c.command), 0u) << c.change;
    EXPECT_EQ(client::ReadINI(control.Get(), L"s", L"k", cue), c.expected) << c.change;
    client::WriteINI(control.Get(), L"s", L"added", L"x", cue);
    EXPECT_EQ(ReadBytes(cue), "[s]\r\nk=" + Narrow(c.expected) + "\r\nadded=x\r\n") << c.change;
  }
}

TEST_F(Dispatch, ABatchLandsInOneWriteOnCommitAndNotAtAllOnCancel) {
  const std::wstring cue = File(L"cue.ini");
  client::WriteINI(control.Get(), L"Total Count", L"Count", L"0", cue);
  ASSERT_EQ(client::Call(control.Get(), kDispIdBeginUpdate, {cue}), S_OK);
  client::WriteINI(control.Get(), L"Saved Commands", L"name1", L"Morning", cue);
  client::WriteINI(control.Get(), L"Total Count", L"Count", L"1", cue);
  ASSERT_EQ(client::Call(control.Get(), kDispIdDeleteINI, {L"Total Count", L"Count", cue}), S_OK);
  client::WriteINI(control.Get(), L"Total Count", L"Count", L"1", cue);
  EXPECT_EQ(client::ReadINI(control.Get(), L"Saved Commands", L"name1", cue), L"Morning");
  EXPECT_EQ(ReadBytes(cue), "[Total Count]\r\nCount=0\r\n") << "nothing lands before the commit";
  bool committed = false;
  ASSERT_EQ(client::CommitUpdate(control.Get(), committed), S_OK);
  EXPECT_TRUE(committed);
  const std::string written = "[Total Count]\r\nCount=1\r\n[Saved Commands]\r\nname1=Morning\r\n";
  EXPECT_EQ(ReadBytes(cue), written);

  client::Call(control.Get(), kDispIdBeginUpdate, {cue});
  client::WriteINI(control.Get(), L"s", L"k", L"v", cue);
  ASSERT_EQ(client::Call(control.Get(), kDispIdCancelUpdate, {}), S_OK);
  EXPECT_EQ(client::ReadINI(control.Get(), L"s", L"k", cue), L"[ Not Found ]");
  EXPECT_EQ(ReadBytes(cue), written) << "a cancelled batch leaves the file";
}

TEST_F(Dispatch, AFailedCommitKeepsTheOldFileAndExplainsWhy) {
  const std::wstring cue = File(L"cue.ini");
  client::WriteINI(control.Get(), L"s", L"k", L"old", cue);
  client::Call(control.Get(), kDispIdBeginUpdate, {cue});
  client::WriteINI(control.Get(), L"s", L"k", L"new", cue);
  ASSERT_TRUE(SetFileAttributesW(cue.c_str(), FILE_ATTRIBUTE_READONLY));
  bool committed = true;
  ASSERT_EQ(client::CommitUpdate(control.Get(), committed), S_OK);
  EXPECT_FALSE(committed);
  const std::optional<ErrorInfoText> error = TakeErrorInfo();
  ASSERT_TRUE(error.has_value());
  EXPECT_NE(error->description.find(cue), std::wstring::npos) << error->description;
  EXPECT_NE(error->description.find(L"denied"), std::wstring::npos) << error->description;
  SetFileAttributesW(cue.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(ReadBytes(cue), "[s]\r\nk=old\r\n");
}

}  // namespace
}  // namespace brevoni::testing
