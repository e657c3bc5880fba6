#include "inicontrol/engine/IniSession.h"

#include <algorithm>
#include <cstdint>
#include <cwctype>

namespace brevoni {
namespace {

std::string Describe(const std::filesystem::path& file) {
  auto text = file.u8string();
  return std::string(text.begin(), text.end());
}

constexpr std::string_view kUtf8Signature = "\xEF\xBB\xBF";
constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

void AppendWide(std::wstring& out, char32_t c) {
  if (sizeof(wchar_t) == 2 && c >= 0x10000) {
    out += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
    out += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
  } else {
    out += static_cast<wchar_t>(c);
  }
}

// One UTF-8 sequence from the start of bytes, which it consumes; an invalid
// or cut one gives U+FFFD for its first byte.
char32_t TakeUtf8(std::string_view& bytes) {
  const auto lead = static_cast<unsigned char>(bytes.front());
  const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 && lead < 0xF5 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
  char32_t c = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
  bool valid = length != 0 && length <= bytes.size();
  for (std::size_t i = 1; valid && i < length; ++i) {
    const auto next = static_cast<unsigned char>(bytes[i]);
    valid = (next & 0xC0) == 0x80;
    c = (c << 6) | (next & 0x3F);
  }
  constexpr char32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
  valid = valid && c >= kShortest[length] && c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
  bytes.remove_prefix(valid ? length : 1);
  return valid ? c : kReplacement;
}

}  // namespace

void FileStore::RewriteInPlace(const std::filesystem::path& file, std::string_view) {
  throw IniError("cannot write " + Describe(file) + " in place");
}

std::optional<std::string> FileStore::ToAnsi(std::wstring_view text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (const wchar_t c : text) {
    if (static_cast<std::uint32_t>(c) > 0xFF) return std::nullopt;
    bytes += static_cast<char>(c);
  }
  return bytes;
}

std::wstring FileStore::FromAnsi(std::string_view bytes) {
  std::wstring text;
  text.reserve(bytes.size());
  for (const char c : bytes) text += static_cast<wchar_t>(static_cast<unsigned char>(c));
  return text;
}

std::string FileStore::ToUtf8(std::wstring_view text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = static_cast<char32_t>(text[i]);
    if (sizeof(wchar_t) == 2 && c >= 0xD800 && c <= 0xDFFF) {
      const bool pair = c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
      c = pair ? 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(text[++i]) - 0xDC00) : kReplacement;
    }
    AppendUtf8(bytes, c);
  }
  return bytes;
}

std::wstring FileStore::FromUtf8(std::string_view bytes) {
  std::wstring text;
  text.reserve(bytes.size());
  while (!bytes.empty()) AppendWide(text, TakeUtf8(bytes));
  return text;
}

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
  return Batches(file) ? &*batch_ : nullptr;
}

IniSession::Image* IniSession::CurrentImage(const std::filesystem::path& file) {
  if (file.empty()) {
    Fail("no INI file name was given and INIFileName is empty");
    return nullptr;
  }
  // Names compare by their text: another spelling of the same file has an image of its own.
  auto kept = std::find_if(images_.begin(), images_.end(),
                           [&](const Image& image) { return image.file.native() == file.native(); });
  const bool known = kept != images_.end();
  if (known) {
    images_.splice(images_.begin(), images_, kept);
  } else {
    images_.emplace_front().file = file;
    if (images_.size() > kKeptImages) images_.pop_back();
  }
  Image& image = images_.front();
  try {
    if (known) {
      const std::optional<FileStamp> stamp = files_.Stamp(file);
      if (stamp == image.stamp && (!stamp || image.stamp->settled)) return &image;
    }
    std::optional<FileContent> content = files_.Load(file);
    if (!content) {
      image.stamp.reset();
      image.bytes.clear();
      image.document = IniDocument();
      return &image;
    }
    // A file written again with the same bytes (or an unsettled stamp that
    // still holds) needs no parsing.
    if (!known || !image.stamp || image.bytes != content->bytes) {
      image.document = IniDocument::Parse(content->bytes);
      image.bytes = std::move(content->bytes);
    }
    image.stamp = content->stamp;
    return &image;
  } catch (const IniError& e) {
    images_.pop_front();
    Fail(e.what());
    return nullptr;
  }
}

void IniSession::Keep(Image image) {
  Forget(image.file);
  images_.push_front(std::move(image));
  if (images_.size() > kKeptImages) images_.pop_back();
}

std::optional<FileStamp> IniSession::StampWritten(const std::filesystem::path& file) {
  try {
    return files_.Stamp(file);
  } catch (const IniError&) {
    // The file was written; only the chance to skip its next read is lost.
    return std::nullopt;
  }
}

void IniSession::MatchWrittenFile(Image& image) {
  if (!image.document.ReadsAsWritten()) image.document = IniDocument::Parse(image.bytes);
  image.stamp = StampWritten(image.file);
}

void IniSession::Forget(const std::filesystem::path& file) {
  images_.remove_if([&](const Image& image) { return image.file.native() == file.native(); });
}

std::optional<std::string> IniSession::Encode(const IniDocument& document, std::wstring_view text) {
  if (document.IsUtf8()) return files_.ToUtf8(text);
  return files_.ToAnsi(text);
}

std::wstring IniSession::Decode(const IniDocument& document, std::string_view bytes) {
  return document.IsUtf8() ? files_.FromUtf8(bytes) : files_.FromAnsi(bytes);
}

std::vector<std::wstring> IniSession::DecodeAll(const IniDocument& document, const std::vector<std::string>& names) {
  std::vector<std::wstring> texts;
  texts.reserve(names.size());
  for (const std::string& name : names) texts.push_back(Decode(document, name));
  return texts;
}

IniDocument IniSession::InUtf8(const IniDocument& document) {
  std::string bytes(kUtf8Signature);
  bytes += files_.ToUtf8(files_.FromAnsi(document.Serialize()));
  return IniDocument::Parse(bytes);
}

std::string IniSession::BytesOf(Image& image) {
  std::string bytes = image.document.Serialize();
  if (!image.document.IsUtf8()) return bytes;
  std::optional<std::string> ansi = files_.ToAnsi(files_.FromUtf8(std::string_view(bytes).substr(kUtf8Signature.size())));
  // ANSI text that begins with the signature's bytes would read as UTF-8.
  if (!ansi || ansi->starts_with(kUtf8Signature)) return bytes;
  image.document = IniDocument::Parse(*ansi);
  return std::move(*ansi);
}

const IniDocument* IniSession::DocumentToRead(const std::filesystem::path& file) {
  const std::filesystem::path chosen = Choose(file);
  if (Batch* batch = BatchFor(chosen)) return &batch->image.document;
  const Image* image = CurrentImage(chosen);
  return image ? &image->document : nullptr;
}

std::wstring IniSession::ReadINI(std::wstring_view section, std::wstring_view key, const std::filesystem::path& file) {
  const IniDocument* document = DocumentToRead(file);
  if (document == nullptr) return std::wstring(kNotFound);
  // A name that the file's code page cannot hold is in none of its sections.
  const std::optional<std::string> sectionName = Encode(*document, section), keyName = Encode(*document, key);
  std::optional<std::string> value;
  if (sectionName && keyName) value = document->Get(*sectionName, *keyName);
  return value ? Decode(*document, *value) : std::wstring(kNotFound);
}

std::vector<std::wstring> IniSession::ReadSections(const std::filesystem::path& file) {
  const IniDocument* document = DocumentToRead(file);
  return document ? DecodeAll(*document, document->SectionNames()) : std::vector<std::wstring>{};
}

std::vector<std::wstring> IniSession::ReadKeys(std::wstring_view section, const std::filesystem::path& file) {
  const IniDocument* document = DocumentToRead(file);
  const std::optional<std::string> name = document ? Encode(*document, section) : std::nullopt;
  return name ? DecodeAll(*document, document->KeyNames(*name)) : std::vector<std::wstring>{};
}

void IniSession::WriteSingle(const std::filesystem::path& file, std::string_view bytes) {
  try {
    files_.ReplaceAtomically(file, bytes);
  } catch (const FileHeldOpen&) {
    files_.RewriteInPlace(file, bytes);
  }
}

template <typename Edit>
bool IniSession::Modify(const std::filesystem::path& file, Edit edit) {
  const std::filesystem::path chosen = Choose(file);
  if (Batch* batch = BatchFor(chosen)) {
    batch->changed |= edit(batch->image.document);
    return true;
  }
  Image* image = CurrentImage(chosen);
  if (image == nullptr) return false;
  // Like the platform's functions, a write that changes nothing leaves the file as it is.
  if (!edit(image->document)) return true;
  std::string bytes = BytesOf(*image);
  try {
    WriteSingle(chosen, bytes);
  } catch (const IniError& e) {
    Forget(chosen);  // its image holds the edit that did not land
    return Fail(e.what());
  }
  image->bytes = std::move(bytes);
  MatchWrittenFile(*image);
  if (!image->stamp) Forget(chosen);
  return true;
}

bool IniSession::WriteINI(std::wstring_view section, std::wstring_view key, std::wstring_view data,
                          const std::filesystem::path& file) {
  return Modify(file, [&](IniDocument& document) {
    std::optional<std::string> texts[] = {Encode(document, section), Encode(document, key), Encode(document, data)};
    if (!texts[0] || !texts[1] || !texts[2]) {
      // The first text that the ANSI code page cannot hold makes the file UTF-8.
      document = InUtf8(document);
      document.Set(files_.ToUtf8(section), files_.ToUtf8(key), files_.ToUtf8(data));
      return true;
    }
    return document.Set(*texts[0], *texts[1], *texts[2]);
  });
}

bool IniSession::DeleteINI(std::wstring_view section, std::wstring_view key, const std::filesystem::path& file) {
  return Modify(file, [&](IniDocument& document) {
    const std::optional<std::string> name = Encode(document, section), keyName = Encode(document, key);
    if (!name || !keyName) return false;  // nothing in an ANSI file can have that name
    return key.empty() ? document.DeleteSection(*name) : document.DeleteKey(*name, *keyName);
  });
}

void IniSession::BeginUpdate(const std::filesystem::path& file) {
  CloseBatch();
  Batch batch;
  batch.image.file = Choose(file);
  if (CurrentImage(batch.image.file) != nullptr) {
    batch.image = std::move(images_.front());
    images_.pop_front();
  } else {
    batch.loadFailure = lastError_;
  }
  batch_ = std::move(batch);
}

bool IniSession::CommitUpdate() {
  if (!batch_) {
    return Fail("CommitUpdate without BeginUpdate: no update is open");
  }
  if (!batch_->loadFailure.empty()) {
    const std::string reason = "the update of " + Describe(batch_->image.file) + " was not written: " + batch_->loadFailure;
    batch_.reset();
    return Fail(reason);
  }
  if (!batch_->changed) {
    CloseBatch();
    return true;
  }
  Batch batch = std::move(*batch_);
  batch_.reset();
  batch.image.bytes = BytesOf(batch.image);
  try {
    // A file another writer changed after BeginUpdate read it would lose
    // that change to the batch's copy: it stays as the other writer left it.
    if (files_.Stamp(batch.image.file) != batch.image.stamp) {
      Forget(batch.image.file);
      Fail("the update of " + Describe(batch.image.file) +
           " was not written: another program changed the file after the update had read it");
      return false;
    }
    files_.ReplaceAtomically(batch.image.file, batch.image.bytes);
  } catch (const FileHeldOpen& e) {
    return Fail("the update of " + Describe(batch.image.file) +
                " was not written, since an update is written whole or not at all: " + e.what());
  } catch (const IniError& e) {
    return Fail(e.what());
  }
  MatchWrittenFile(batch.image);
  if (batch.image.stamp) Keep(std::move(batch.image));
  return true;
}

void IniSession::CancelUpdate() { CloseBatch(); }

void IniSession::CloseBatch() {
  if (!batch_) return;
  Batch batch = std::move(*batch_);
  batch_.reset();
  // An image that the batch left as it was is as good as before: a batch
  // that only read leaves the next call nothing to read or parse.
  if (!batch.changed && batch.loadFailure.empty()) Keep(std::move(batch.image));
}

}  // namespace brevoni
