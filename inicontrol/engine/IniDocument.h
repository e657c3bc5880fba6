// The text format of INI files, as the platform's profile functions read and
// write it (Wine's kernel32 is the reference the differential test checks):
// - lines end at '\n' or '\r'; blanks, tabs, '\r', '\v', '\f' and Ctrl-Z around a line
//   are dropped, and so are empty lines;
// - "[name]" (up to the last ']') opens a section; the name is trimmed;
// - other lines are keys: "name=value", or a bare "name" without value
//   (comments are such keys); blanks around '=' are dropped;
// - a key without a name directly after another one without a name is dropped;
// - names match without regard to the case of ASCII letters, and the first
//   match wins; lines before the first section belong to an unnamed section;
//   the empty section name finds the first "[]" section when there is one
//   (as on Windows), else that unnamed section;
// - a UTF-8 signature at the start is kept; the text after it is UTF-8.
// Serialising writes each section as "[name]\r\n" (the unnamed one at the
// start without it) and each key as "name=value\r\n" (or "name\r\n"), so a
// rewrite normalises the whole file and reads the same as before.
#pragma once

#include <list>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace brevoni {

class IniDocument {
 public:
  // The document of a file that does not exist: no section at all, not even
  // the unnamed one that every read file has.
  IniDocument() = default;
  // The indexes point into the document's own lists: a copy would point into
  // the original. Moving keeps them valid.
  IniDocument(const IniDocument&) = delete;
  IniDocument& operator=(const IniDocument&) = delete;
  IniDocument(IniDocument&&) = default;
  IniDocument& operator=(IniDocument&&) = default;
  static IniDocument Parse(std::string_view bytes);
  std::string Serialize() const;
  // Whether the text is UTF-8 (the file starts with a UTF-8 signature)
  // rather than in the ANSI code page.
  bool IsUtf8() const { return utf8Signature_; }

  // The value as a reader sees it (trailing blanks dropped, one pair of
  // matching surrounding quotes removed), or nullopt when the section or key
  // is missing or the key has no '='.
  std::optional<std::string> Get(std::string_view section, std::string_view key) const;
  // Each returns whether the document changed. Set drops leading blanks of
  // the value, keeps the key's line and spelling, and appends new keys at the
  // end of their section and new sections at the end of the document; a new
  // unnamed section goes to its start, the only place where a reader of the
  // written file finds it.
  bool Set(std::string_view section, std::string_view key, std::string_view value);
  bool DeleteKey(std::string_view section, std::string_view key);
  // Removes every section of that name. (The profile functions remove only
  // the first, so that a deleted section can come back from a duplicate.)
  bool DeleteSection(std::string_view section);
  // What a caller can read, in file order, each name once in its first
  // spelling: the sections (the unnamed one, as "", only where it holds a
  // key to read), and the keys of the section that the name finds, leaving
  // out those without '=' or without a name and the comments (';'), as the
  // platform's listings do.
  std::vector<std::string> SectionNames() const;
  std::vector<std::string> KeyNames(std::string_view section) const;
  // False after a Set whose texts the format cannot hold as they are (a
  // line break, a key with '=' or one that reads as a section header):
  // the written file reads differently, and only parsing it again gives
  // what every reader of the file sees.
  bool ReadsAsWritten() const { return readsAsWritten_; }

 private:
  struct Key {
    std::string name;
    std::optional<std::string> value;
  };
  // Lists, so that erasing a key or a section moves nothing else and leaves
  // the indexes pointing where they did: a caller deleting keys one by one
  // from a big section pays for each key only.
  using Keys = std::list<Key>;
  struct Section {
    std::string name;
    Keys keys;
    // The keys of one folded name, in file order. Names rarely repeat: the
    // first is kept apart, so that most names need no vector at all.
    struct Matches {
      Keys::iterator first;
      std::vector<Keys::iterator> later;
    };
    std::unordered_map<std::string, Matches> index;
    Key* Find(std::string_view key);
    const Key* Find(std::string_view key) const;
    void Append(Key key);
    // The first key of that name, or a new one without a value at the end;
    // true when it is new. One index lookup either way: a store rewritten
    // key by key makes tens of thousands of these.
    std::pair<Key*, bool> FindOrAppend(std::string_view key);
    bool Erase(std::string_view key);
  };

  using Sections = std::list<Section>;

  static bool Listed(const Key& key);
  const Section* FindSection(std::string_view name) const;
  Section* FindSection(std::string_view name);
  Section& AppendSection(std::string name);
  // A section for a name that none has yet.
  Section& NewSection(std::string name);

  static constexpr std::string_view kUtf8Signature = "\xEF\xBB\xBF";

  Sections sections_;  // a read file's first one is the unnamed section
  bool utf8Signature_ = false;
  bool readsAsWritten_ = true;
  // The sections of one folded name, in file order.
  std::unordered_map<std::string, std::vector<Sections::iterator>> index_;
};

}  // namespace brevoni
