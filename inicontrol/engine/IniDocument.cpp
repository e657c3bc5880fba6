#include "inicontrol/engine/IniDocument.h"

#include <algorithm>
#include <cstddef>
#include <iterator>

namespace brevoni {
namespace {

bool IsBlank(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r') || c == '\x1a';
}

std::string_view TrimLeft(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  return s;
}

std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::string_view Trim(std::string_view s) { return TrimRight(TrimLeft(s)); }

// Names match without regard to the case of ASCII letters only: the
// reference implementation folds no other characters.
std::string Fold(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

// Whether a line written from these texts reads back as the same section,
// key and value.
bool FitsOneLine(std::string_view section, std::string_view key, std::string_view value) {
  return !HasLineBreak(section) && !HasLineBreak(key) && !HasLineBreak(value) && !key.empty() &&
         key.front() != '[' && key.find('=') == std::string_view::npos;
}

// Lookups trim the name they are given; names are indexed the same way.
std::string IndexKey(std::string_view name) { return Fold(Trim(name)); }

}  // namespace

IniDocument::Key* IniDocument::Section::Find(std::string_view key) {
  auto it = index.find(IndexKey(key));
  return it == index.end() ? nullptr : &*it->second.first;
}

const IniDocument::Key* IniDocument::Section::Find(std::string_view key) const {
  return const_cast<Section*>(this)->Find(key);
}

void IniDocument::Section::Append(Key key) {
  const Keys::iterator appended = keys.insert(keys.end(), std::move(key));
  auto [it, added] = index.try_emplace(IndexKey(appended->name));
  if (added) {
    it->second.first = appended;
  } else {
    it->second.later.push_back(appended);
  }
}

std::pair<IniDocument::Key*, bool> IniDocument::Section::FindOrAppend(std::string_view key) {
  auto [it, added] = index.try_emplace(IndexKey(key));
  if (!added) return {&*it->second.first, false};
  try {
    it->second.first = keys.insert(keys.end(), Key{std::string(TrimLeft(key)), std::nullopt});
  } catch (...) {
    index.erase(it);
    throw;
  }
  return {&*it->second.first, true};
}

bool IniDocument::Section::Erase(std::string_view key) {
  auto it = index.find(IndexKey(key));
  if (it == index.end()) return false;
  Matches& matches = it->second;
  keys.erase(matches.first);
  if (matches.later.empty()) {
    index.erase(it);
  } else {
    matches.first = matches.later.front();
    matches.later.erase(matches.later.begin());
  }
  return true;
}

IniDocument IniDocument::Parse(std::string_view bytes) {
  IniDocument doc;
  if (bytes.substr(0, kUtf8Signature.size()) == kUtf8Signature) {
    doc.utf8Signature_ = true;
    bytes.remove_prefix(kUtf8Signature.size());
  }
  Section* section = &doc.AppendSection("");
  const Key* previous = nullptr;
  while (!bytes.empty()) {
    // A plain scan: find_first_of asks memchr about every byte, which the
    // Windows C runtime answers slowly.
    std::size_t end = 0;
    while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
    std::string_view line = Trim(bytes.substr(0, end));
    bytes.remove_prefix(std::min(end + 1, bytes.size()));
    if (line.empty()) continue;

    if (line.front() == '[') {
      std::size_t close = line.rfind(']');
      if (close != std::string_view::npos) {
        section = &doc.AppendSection(std::string(Trim(line.substr(1, close - 1))));
        previous = nullptr;
        continue;
      }
    }

    Key key;
    std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
      key.name = std::string(line);
    } else {
      key.name = std::string(TrimRight(line.substr(0, equals)));
      key.value = std::string(TrimLeft(line.substr(equals + 1)));
    }
    // A nameless key right after another nameless one is dropped.
    if (key.name.empty() && previous != nullptr && previous->name.empty()) continue;
    section->Append(std::move(key));
    previous = &section->keys.back();
  }
  return doc;
}

std::string IniDocument::Serialize() const {
  std::size_t size = 0;
  for (const Section& section : sections_) {
    size += section.name.size() + 4;
    for (const Key& key : section.keys) {
      size += key.name.size() + 3 + (key.value ? key.value->size() : 0);
    }
  }
  std::string out;
  out.reserve(size + kUtf8Signature.size());
  if (utf8Signature_) out += kUtf8Signature;
  bool first = true;
  for (const Section& section : sections_) {
    // Only the section that opens the file goes without a header line when
    // its name is empty. A "[]" section further down keeps its header, or its
    // keys would join the section above when the file is read again. (The
    // profile functions drop that header.)
    if (!section.name.empty() || !first) {
      out += '[';
      out += section.name;
      out += "]\r\n";
    }
    first = false;
    for (const Key& key : section.keys) {
      out += key.name;
      if (key.value) {
        out += '=';
        out += *key.value;
      }
      out += "\r\n";
    }
  }
  // A first line that begins with the signature's bytes would read back as
  // a signature; an empty line before it keeps it a line.
  if (!utf8Signature_ && out.starts_with(kUtf8Signature)) out.insert(0, "\r\n");
  return out;
}

const IniDocument::Section* IniDocument::FindSection(std::string_view name) const {
  auto it = index_.find(IndexKey(name));
  if (it == index_.end()) return nullptr;
  const std::vector<Sections::iterator>& matches = it->second;
  // The unnamed section at the start has no header; a "[]" further down,
  // when there is one, is the one the empty name means.
  if (matches.size() > 1 && matches.front() == sections_.begin() && matches.front()->name.empty()) {
    return &*matches[1];
  }
  return &*matches.front();
}

IniDocument::Section* IniDocument::FindSection(std::string_view name) {
  return const_cast<Section*>(static_cast<const IniDocument&>(*this).FindSection(name));
}

IniDocument::Section& IniDocument::AppendSection(std::string name) {
  Section& section = sections_.emplace_back();
  section.name = std::move(name);
  index_[IndexKey(section.name)].push_back(std::prev(sections_.end()));
  return section;
}

IniDocument::Section& IniDocument::NewSection(std::string name) {
  if (!name.empty()) return AppendSection(std::move(name));
  const Sections::iterator section = sections_.emplace(sections_.begin());
  index_[""].push_back(section);
  return *section;
}

std::optional<std::string> IniDocument::Get(std::string_view section, std::string_view key) const {
  const Section* s = FindSection(section);
  const Key* k = s ? s->Find(key) : nullptr;
  if (k == nullptr || !k->value) return std::nullopt;
  std::string_view value = TrimRight(*k->value);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value);
}

bool IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
  value = TrimLeft(value);
  key = TrimLeft(key);
  if (!FitsOneLine(section, key, value)) readsAsWritten_ = false;
  Section* s = FindSection(section);
  if (s == nullptr) s = &NewSection(std::string(TrimLeft(section)));
  const auto [k, added] = s->FindOrAppend(key);
  if (!added && k->value && *k->value == value) return false;
  k->value = std::string(value);
  return true;
}

bool IniDocument::DeleteKey(std::string_view section, std::string_view key) {
  // The key goes from the section the name finds, else from the first other
  // section of that name that holds it.
  Section* found = FindSection(section);
  if (found == nullptr) return false;
  if (found->Erase(key)) return true;
  for (const Sections::iterator s : index_.find(IndexKey(section))->second) {
    if (&*s != found && s->Erase(key)) return true;
  }
  return false;
}

bool IniDocument::DeleteSection(std::string_view section) {
  auto it = index_.find(IndexKey(section));
  if (it == index_.end()) return false;
  for (const Sections::iterator s : it->second) sections_.erase(s);
  index_.erase(it);
  return true;
}

bool IniDocument::Listed(const Key& key) {
  return key.value && !key.name.empty() && key.name.front() != ';';
}

std::vector<std::string> IniDocument::SectionNames() const {
  std::vector<std::string> names;
  std::unordered_map<std::string, bool> seen;
  const Section* unnamed = FindSection("");
  for (const Section& section : sections_) {
    if (section.name.empty() && (&section != unnamed || !std::any_of(section.keys.begin(), section.keys.end(), Listed))) {
      continue;
    }
    if (seen.try_emplace(IndexKey(section.name), true).second) names.push_back(section.name);
  }
  return names;
}

std::vector<std::string> IniDocument::KeyNames(std::string_view section) const {
  std::vector<std::string> names;
  const Section* found = FindSection(section);
  if (found == nullptr) return names;
  for (const Key& key : found->keys) {
    // Later keys of a name are hidden behind the first, which the index finds.
    if (Listed(key) && found->Find(key.name) == &key) names.push_back(key.name);
  }
  return names;
}

}  // namespace brevoni
