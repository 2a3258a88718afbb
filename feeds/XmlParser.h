// A small, forgiving, position-based XML parser and writer. It does not
// validate, leaves entities in element text as written, and keeps whatever it
// built when it meets an error. Bytes in, bytes out: text is never converted.
//
// A parsed tree does not copy its names and texts: they are views into the
// source the parser keeps, and nodes live in blocks freed all at once. The
// views a node hands out stay valid until that node's name or text is set
// again or its document is reloaded or freed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/FilePaths.h"

namespace kivo {

class TmoxXMLParser2;
class TmoxXMLArena;

struct TmoxXMLAttribute2 {
  std::string_view name;
  std::string_view value;
};

class TmoxXMLNode2 {
 public:
  explicit TmoxXMLNode2(TmoxXMLParser2* document = nullptr);
  // Frees the subtree without recursion: documents may nest very deep.
  virtual ~TmoxXMLNode2();
  TmoxXMLNode2(const TmoxXMLNode2&) = delete;
  TmoxXMLNode2& operator=(const TmoxXMLNode2&) = delete;

  std::string_view Name() const { return name_; }
  void SetName(std::string_view name);
  // The part of the name before the first ':'.
  std::string_view Prefix() const;

  std::string_view Text() const { return text_; }
  // Also sets the cdata flag: true when the text holds '<' or '>'.
  void SetText(std::string_view text);
  bool Cdata() const { return cdata_; }

  TmoxXMLNode2* Parent() const { return parent_; }
  TmoxXMLParser2* Document() const { return document_; }

  std::size_t ChildCount() const { return childCount_; }
  // Throws std::out_of_range past the last child.
  TmoxXMLNode2* Child(std::size_t index) const;
  TmoxXMLNode2* FirstChild() const { return childCount_ == 0 ? nullptr : children_[0]; }
  TmoxXMLNode2* NextSibling() const;
  TmoxXMLNode2* AddChild(std::string_view name);
  // Takes a parentless node and appends it as the last child.
  TmoxXMLNode2* AppendNode(std::unique_ptr<TmoxXMLNode2> node);
  // First child named exactly `name`; with `deep`, each child's subtree is
  // searched (depth first) before the next child.
  TmoxXMLNode2* FindChild(std::string_view name, bool deep) const;
  std::string ChildText(std::string_view name) const;

  // Value of the first attribute of that name, empty when none.
  std::string Attribute(std::string_view name) const;
  // Replaces the first attribute of that name, or appends one.
  void SetAttribute(std::string_view name, std::string_view value);
  void AppendAttribute(std::string_view name, std::string_view value);
  std::size_t AttributeCount() const { return attributeCount_; }
  // Throws std::out_of_range past the last attribute.
  const TmoxXMLAttribute2& AttributeAt(std::size_t index) const;

 private:
  friend class TmoxXMLParser2;
  friend class TmoxXMLArena;

  void Clear();
  TmoxXMLAttribute2* FindAttribute(std::string_view name) const;
  void Adopt(TmoxXMLNode2& child);
  void AppendChild(TmoxXMLNode2& child);
  // Where this node's children, attributes and set texts are stored.
  TmoxXMLArena& Arena();

  std::string_view name_;
  std::string_view text_;
  TmoxXMLParser2* document_;
  TmoxXMLNode2* parent_ = nullptr;
  TmoxXMLNode2** children_ = nullptr;
  TmoxXMLAttribute2* attributes_ = nullptr;
  TmoxXMLArena* arena_ = nullptr;
  // Only a node that was not itself made in an arena owns one.
  std::unique_ptr<TmoxXMLArena> ownArena_;
  std::uint32_t childCount_ = 0;
  std::uint32_t childCapacity_ = 0;
  std::uint32_t attributeCount_ = 0;
  std::uint32_t attributeCapacity_ = 0;
  std::uint32_t indexInParent_ = 0;
  bool cdata_ = false;
};

// After parsing, the parser node is the document element itself.
class TmoxXMLParser2 : public TmoxXMLNode2 {
 public:
  TmoxXMLParser2();
  ~TmoxXMLParser2() override;

  // Throws std::runtime_error when the file cannot be read. Parse errors never
  // throw: they end parsing, keep the partial tree and set ErrorText().
  void LoadFromFile(const TFilePath& path);
  void LoadFromString(std::string text);
  void LoadFromBuffer(std::string_view bytes);

  std::string XmlText() const;
  // Throws std::runtime_error when the file cannot be written.
  void SaveToFile(const TFilePath& path) const;

  // Attributes of the "<?xml ... ?>" declaration; "version" and "encoding"
  // set here are what XmlText writes in its header.
  TmoxXMLNode2& Declaration() { return *declaration_; }
  const TmoxXMLNode2& Declaration() const { return *declaration_; }
  const std::string& ErrorText() const { return errorText_; }

  // A tree of tiny elements costs many times its source: with a budget, a
  // parse that would take more than `timesSource` times the source plus
  // `extraBytes` for nodes, arrays and decoded values ends there as at an
  // error, keeping what it read. Unlimited until set; kept across loads.
  void SetTreeBudget(std::size_t timesSource, std::size_t extraBytes);
  // What the tree takes beyond its source, appended nodes included.
  std::size_t TreeBytes() const;
  // The size of the text last loaded.
  std::size_t SourceSize() const { return source_.size(); }

 private:
  class Reader;

  void ClearTree();
  std::string WriteXml(std::size_t limit) const;

  std::unique_ptr<TmoxXMLNode2> declaration_;
  // The parsed names and texts point into it.
  std::string source_;
  std::string errorText_;
  std::size_t budgetTimes_ = 0;
  std::size_t budgetExtra_ = 0;
  bool budgeted_ = false;
};

}  // namespace kivo
