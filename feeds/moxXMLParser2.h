// A small, forgiving, position-based XML parser and writer. It does not
// validate, leaves entities in element text as written, and keeps whatever it
// built when it meets an error. Bytes in, bytes out: text is never converted.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kivo {

class TmoxXMLParser2;

struct TmoxXMLAttribute2 {
  std::string name;
  std::string value;
};

class TmoxXMLNode2 {
 public:
  explicit TmoxXMLNode2(TmoxXMLParser2* document = nullptr);
  // Frees the subtree without recursion: documents may nest very deep.
  virtual ~TmoxXMLNode2();
  TmoxXMLNode2(const TmoxXMLNode2&) = delete;
  TmoxXMLNode2& operator=(const TmoxXMLNode2&) = delete;

  const std::string& Name() const { return name_; }
  // Also derives the prefix: the part before the first ':'.
  void SetName(std::string name);
  const std::string& Prefix() const { return prefix_; }

  const std::string& Text() const { return text_; }
  // Also sets the cdata flag: true when the text holds '<' or '>'.
  void SetText(std::string text);
  bool Cdata() const { return cdata_; }

  TmoxXMLNode2* Parent() const { return parent_; }
  TmoxXMLParser2* Document() const { return document_; }

  std::size_t ChildCount() const { return children_.size(); }
  TmoxXMLNode2* Child(std::size_t index) const { return children_.at(index).get(); }
  TmoxXMLNode2* FirstChild() const;
  TmoxXMLNode2* NextSibling() const;
  TmoxXMLNode2* AddChild(std::string name);
  // Takes a parentless node and appends it as the last child.
  TmoxXMLNode2* AppendNode(std::unique_ptr<TmoxXMLNode2> node);
  // First child named exactly `name`; with `deep`, each child's subtree is
  // searched (depth first) before the next child.
  TmoxXMLNode2* FindChild(std::string_view name, bool deep) const;
  std::string ChildText(std::string_view name) const;

  // Value of the first attribute of that name, empty when none.
  std::string Attribute(std::string_view name) const;
  // Replaces the first attribute of that name, or appends one.
  void SetAttribute(std::string_view name, std::string value);
  void AppendAttribute(std::string name, std::string value);
  std::size_t AttributeCount() const { return attributes_.size(); }
  const TmoxXMLAttribute2& AttributeAt(std::size_t index) const { return attributes_.at(index); }

 private:
  friend class TmoxXMLParser2;

  void Clear();
  const TmoxXMLAttribute2* FindAttribute(std::string_view name) const;
  void Adopt(TmoxXMLNode2& child);

  std::string name_;
  std::string prefix_;
  std::string text_;
  bool cdata_ = false;
  TmoxXMLParser2* document_;
  TmoxXMLNode2* parent_ = nullptr;
  std::size_t indexInParent_ = 0;
  std::vector<std::unique_ptr<TmoxXMLNode2>> children_;
  std::vector<TmoxXMLAttribute2> attributes_;
};

// After parsing, the parser node is the document element itself.
class TmoxXMLParser2 : public TmoxXMLNode2 {
 public:
  TmoxXMLParser2();
  ~TmoxXMLParser2() override;

  // Throws std::runtime_error when the file cannot be read. Parse errors never
  // throw: they end parsing, keep the partial tree and set ErrorText().
  void LoadFromFile(const std::string& path);
  void LoadFromString(std::string text);
  void LoadFromBuffer(std::string_view bytes);

  std::string XmlText() const;
  // Throws std::runtime_error when the file cannot be written.
  void SaveToFile(const std::string& path) const;

  // Attributes of the "<?xml ... ?>" declaration; "version" and "encoding"
  // set here are what XmlText writes in its header.
  TmoxXMLNode2& Declaration() { return *declaration_; }
  const TmoxXMLNode2& Declaration() const { return *declaration_; }
  const std::string& ErrorText() const { return errorText_; }

 private:
  class Reader;

  void Parse();
  std::string WriteXml(std::size_t limit) const;

  std::unique_ptr<TmoxXMLNode2> declaration_;
  std::string source_;
  std::string errorText_;
};

}  // namespace kivo
