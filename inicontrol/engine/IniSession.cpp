#include "inicontrol/engine/IniSession.h"

#include <algorithm>
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
  return batch_ && SameFileName(batch_->image.file, file) ? &*batch_ : nullptr;
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
  if (Batch* batch = BatchFor(chosen)) return read(batch->image.document);
  const Image* image = CurrentImage(chosen);
  return image ? read(image->document) : std::string(kNotFound);
}

template <typename Edit>
void IniSession::Modify(const std::filesystem::path& file, Edit edit) {
  const std::filesystem::path chosen = Choose(file);
  if (Batch* batch = BatchFor(chosen)) {
    batch->changed |= edit(batch->image.document);
    return;
  }
  Image* image = CurrentImage(chosen);
  // Like the platform's functions, a write that changes nothing leaves the file as it is.
  if (image == nullptr || !edit(image->document)) return;
  std::string bytes = image->document.Serialize();
  try {
    files_.ReplaceAtomically(chosen, bytes);
  } catch (const IniError& e) {
    Forget(chosen);  // its image holds the edit that did not land
    Fail(e.what());
    return;
  }
  image->bytes = std::move(bytes);
  MatchWrittenFile(*image);
  if (!image->stamp) Forget(chosen);
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
    Fail("CommitUpdate without BeginUpdate: no update is open");
    return false;
  }
  if (!batch_->loadFailure.empty()) {
    Fail("the update of " + Describe(batch_->image.file) + " was not written: " + batch_->loadFailure);
    batch_.reset();
    return false;
  }
  if (!batch_->changed) {
    CloseBatch();
    return true;
  }
  Batch batch = std::move(*batch_);
  batch_.reset();
  batch.image.bytes = batch.image.document.Serialize();
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
  } catch (const IniError& e) {
    Fail(e.what());
    return false;
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
