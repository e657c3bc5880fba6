#include "inicontrol/engine/IniSession.h"

#include <cwctype>

namespace brevoni {
namespace {

std::string Describe(const std::filesystem::path& file) {
  auto text = file.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace

bool SameFileName(const std::filesystem::path& a, const std::filesystem::path& b) {
  // Callers pass the same text again and again; only other spellings need the slow comparison.
  if (a.native() == b.native()) return true;
  const auto x = a.lexically_normal().native();
  const auto y = b.lexically_normal().native();
#ifdef _WIN32
  if (x.size() != y.size()) return false;
  for (std::size_t i = 0; i < x.size(); ++i) {
    if (std::towlower(x[i]) != std::towlower(y[i])) return false;
  }
  return true;
#else
  return x == y;
#endif
}

IniSession::IniSession(FileStore& files) : files_(files) {}

std::filesystem::path IniSession::Choose(const std::filesystem::path& file) {
  return file.empty() ? iniFileName_ : file;
}

IniSession::Batch* IniSession::BatchFor(const std::filesystem::path& file) {
  return batch_ && SameFileName(batch_->file, file) ? &*batch_ : nullptr;
}

std::optional<IniDocument> IniSession::LoadDocument(const std::filesystem::path& file) {
  if (file.empty()) {
    Fail("no INI file name was given and INIFileName is empty");
    return std::nullopt;
  }
  try {
    std::optional<std::string> bytes = files_.Load(file);
    return bytes ? IniDocument::Parse(*bytes) : IniDocument();
  } catch (const IniError& e) {
    Fail(e.what());
    return std::nullopt;
  }
}

std::string IniSession::ForDocument(const IniDocument& document, std::string_view text) {
  return document.IsUtf8() ? files_.AnsiToUtf8(text) : std::string(text);
}

std::string IniSession::ReadINI(std::string_view section, std::string_view key, const std::filesystem::path& file) {
  const std::filesystem::path chosen = Choose(file);
  auto read = [&](const IniDocument& document) -> std::string {
    std::optional<std::string> value = document.Get(ForDocument(document, section), ForDocument(document, key));
    if (!value) return std::string(kNotFound);
    return document.IsUtf8() ? files_.Utf8ToAnsi(*value) : std::move(*value);
  };
  if (Batch* batch = BatchFor(chosen)) return read(batch->document);
  std::optional<IniDocument> document = LoadDocument(chosen);
  return document ? read(*document) : std::string(kNotFound);
}

template <typename Edit>
void IniSession::Modify(const std::filesystem::path& file, Edit edit) {
  const std::filesystem::path chosen = Choose(file);
  if (Batch* batch = BatchFor(chosen)) {
    batch->changed |= edit(batch->document);
    return;
  }
  std::optional<IniDocument> document = LoadDocument(chosen);
  // Like the platform's functions, a write that changes nothing leaves the file as it is.
  if (!document || !edit(*document)) return;
  try {
    files_.ReplaceAtomically(chosen, document->Serialize());
  } catch (const IniError& e) {
    Fail(e.what());
  }
}

void IniSession::WriteINI(std::string_view section, std::string_view key, std::string_view data,
                          const std::filesystem::path& file) {
  Modify(file, [&](IniDocument& document) {
    return document.Set(ForDocument(document, section), ForDocument(document, key), ForDocument(document, data));
  });
}

void IniSession::DeleteINI(std::string_view section, std::string_view key, const std::filesystem::path& file) {
  Modify(file, [&](IniDocument& document) {
    const std::string name = ForDocument(document, section);
    return key.empty() ? document.DeleteSection(name) : document.DeleteKey(name, ForDocument(document, key));
  });
}

void IniSession::BeginUpdate(const std::filesystem::path& file) {
  batch_.reset();
  Batch batch;
  batch.file = Choose(file);
  if (std::optional<IniDocument> document = LoadDocument(batch.file)) {
    batch.document = std::move(*document);
  } else {
    batch.loadFailure = lastError_;
  }
  batch_ = std::move(batch);
}

bool IniSession::CommitUpdate() {
  if (!batch_) {
    Fail("CommitUpdate without BeginUpdate: no update is open");
    return false;
  }
  Batch batch = std::move(*batch_);
  batch_.reset();
  if (!batch.loadFailure.empty()) {
    Fail("the update of " + Describe(batch.file) + " was not written: " + batch.loadFailure);
    return false;
  }
  if (!batch.changed) return true;
  try {
    files_.ReplaceAtomically(batch.file, batch.document.Serialize());
    return true;
  } catch (const IniError& e) {
    Fail(e.what());
    return false;
  }
}

void IniSession::CancelUpdate() { batch_.reset(); }

}  // namespace brevoni
