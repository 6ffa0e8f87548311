#include "PageMarkup.h"

#include <QHash>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>

namespace PageMarkup {
namespace {

// What an attribute's value must look like to be kept.
enum TValue { avUrl, avLength, avSpan, avColor, avWord, avText, avFlag };

const QHash<QString, TValue>& AttributeValues() {
  static const QHash<QString, TValue> values = {
      {"href", avUrl},           {"src", avUrl},
      {"background", avUrl},     {"width", avLength},
      {"height", avLength},      {"border", avLength},
      {"cellpadding", avLength}, {"cellspacing", avLength},
      {"colspan", avSpan},       {"rowspan", avSpan},
      {"bgcolor", avColor},      {"color", avColor},
      {"text", avColor},         {"link", avColor},
      {"align", avWord},         {"valign", avWord},
      {"size", avWord},          {"alt", avText},
      {"title", avText},         {"face", avText},
      {"nowrap", avFlag},        {"noshade", avFlag},
  };
  return values;
}

// The elements kept, with the attributes each keeps.
const QHash<QString, QStringList>& Elements() {
  static const QHash<QString, QStringList> elements = [] {
    QHash<QString, QStringList> kept;
    for (const char* name : {"span", "b", "i", "u", "s", "strike", "strong", "em", "small", "big",
                             "sub", "sup", "tt", "code", "nobr", "blockquote", "ul", "ol", "li"})
      kept[name] = {};
    for (const char* name : {"p", "div", "center", "h1", "h2", "h3", "h4", "h5", "h6"})
      kept[name] = {"align"};
    kept["br"] = {};
    kept["a"] = {"href", "title"};
    kept["img"] = {"src", "width", "height", "alt", "title", "align", "border"};
    kept["hr"] = {"width", "size", "align", "noshade"};
    kept["font"] = {"color", "size", "face"};
    kept["body"] = {"bgcolor", "text", "link", "background"};
    kept["table"] = {"width",   "border", "cellpadding", "cellspacing",
                     "bgcolor", "align",  "background"};
    kept["tr"] = {"bgcolor", "align", "valign"};
    kept["td"] = {"width", "height", "colspan", "rowspan",   "bgcolor",
                  "align", "valign", "nowrap",  "background"};
    kept["th"] = kept["td"];
    return kept;
  }();
  return elements;
}

bool IsVoid(const QString& name) {
  return name == "br" || name == "img" || name == "hr";
}

// Elements whose content is not page text: it goes with them, up to their end tag.
bool IsDroppedWithContent(const QString& name) {
  static const QStringList dropped = {"script", "style",   "title",    "textarea", "xmp",
                                      "iframe", "noembed", "noframes", "template", "plaintext"};
  return dropped.contains(name);
}

bool IsSpace(QChar c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool IsAsciiLetter(QChar c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The length of a character reference at `at` ("&amp;", "&#38;", "&#x26;"), 0 if there is
// none: a lone "&" is written out as "&amp;".
qsizetype ReferenceLength(QStringView text, qsizetype at) {
  qsizetype i = at + 1;
  const auto digits = [&](auto isDigit, qsizetype most) {
    const qsizetype start = i;
    while (i < text.size() && i - start < most && isDigit(text[i])) ++i;
    return i > start;
  };
  const auto decimal = [](QChar c) { return c >= '0' && c <= '9'; };
  const auto hex = [&](QChar c) {
    return decimal(c) || (c.toLower() >= 'a' && c.toLower() <= 'f');
  };
  const auto alphanumeric = [&](QChar c) { return decimal(c) || IsAsciiLetter(c); };
  bool found = false;
  if (i < text.size() && text[i] == '#') {
    ++i;
    const bool isHex = i < text.size() && (text[i] == 'x' || text[i] == 'X');
    if (isHex) ++i;
    found = isHex ? digits(hex, 6) : digits(decimal, 7);
  } else if (i < text.size() && IsAsciiLetter(text[i])) {
    found = digits(alphanumeric, 32);
  }
  return found && i < text.size() && text[i] == ';' ? i + 1 - at : 0;
}

void AppendEscaped(QString& out, QStringView text) {
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c == '<')
      out += "&lt;";
    else if (c == '>')
      out += "&gt;";
    else if (c == '"')
      out += "&quot;";
    else if (c != '&')
      out += c;
    else if (const qsizetype length = ReferenceLength(text, i)) {
      out += text.mid(i, length);
      i += length - 1;
    } else
      out += "&amp;";
  }
}

// The value as it is written out, or nothing when it is dropped.
std::optional<QString> KeptValue(TValue kind, const QString& value) {
  static const QRegularExpression length(R"(^\s*(\d{1,4})(%?)\s*$)");
  static const QRegularExpression color(R"(^\s*(#[0-9A-Fa-f]{3,6}|[A-Za-z]{1,20})\s*$)");
  static const QRegularExpression word(R"(^\s*([A-Za-z0-9+-]{1,16})\s*$)");
  switch (kind) {
    case avUrl:
      return value.size() <= 2048 ? std::optional(value) : std::nullopt;
    case avText:
      return value.size() <= 256 ? std::optional(value) : std::nullopt;
    case avFlag:
      return QString();
    case avSpan: {
      bool number = false;
      const qint64 span = value.trimmed().toLongLong(&number);
      if (!number || span < 1) return std::nullopt;
      return QString::number(std::min<qint64>(span, MaxSpan));
    }
    case avLength: {
      const auto found = length.match(value);
      const int limit = found.captured(2).isEmpty() ? 2048 : 100;
      if (!found.hasMatch() || found.captured(1).toInt() > limit) return std::nullopt;
      return found.captured(1) + found.captured(2);
    }
    case avColor:
      if (const auto found = color.match(value); found.hasMatch()) return found.captured(1);
      return std::nullopt;
    case avWord:
      if (const auto found = word.match(value); found.hasMatch()) return found.captured(1);
      return std::nullopt;
  }
  return std::nullopt;
}

struct TTag {
  QString Name;
  QList<std::pair<QString, QString>> Attributes;
};

class TReducer {
 public:
  explicit TReducer(const QString& html) : In(html) {}

  std::optional<QString> Run() {
    while (Pos < In.size() && !Over) {
      const qsizetype tag = In.indexOf('<', Pos);
      Text(QStringView(In).mid(Pos, (tag < 0 ? In.size() : tag) - Pos));
      Pos = tag < 0 ? In.size() : tag;
      if (Pos < In.size()) Markup();
    }
    CloseTo(0);
    if (Over) return std::nullopt;
    return Out;
  }

 private:
  // "<" at Pos: a comment, a declaration, a tag, or a plain "<" of the text (one followed
  // by anything but a letter, as in "< table>", which the view's parser would take for a
  // tag).
  void Markup() {
    const QStringView rest = QStringView(In).mid(Pos);
    if (rest.startsWith(u"<!--")) {
      SkipPast(u"-->", Pos + 4);
    } else if (rest.startsWith(u"<!") || rest.startsWith(u"<?")) {
      SkipPast(u">", Pos);
    } else if (rest.size() > 2 && rest[1] == '/' && IsAsciiLetter(rest[2])) {
      Pos += 2;
      const QString name = Name();
      SkipPast(u">", Pos);
      EndTag(name);
    } else if (rest.size() > 1 && IsAsciiLetter(rest[1])) {
      ++Pos;
      TTag tag;
      tag.Name = Name();
      if (!ReadAttributes(tag)) return;
      if (!IsDroppedWithContent(tag.Name)) {
        StartTag(tag);
        return;
      }
      SkipPast(QString("</" + tag.Name), Pos, Qt::CaseInsensitive);
      SkipPast(u">", Pos);
    } else {
      Text(rest.left(1));
      ++Pos;
    }
  }

  void SkipPast(QStringView end, qsizetype from, Qt::CaseSensitivity cs = Qt::CaseSensitive) {
    const qsizetype found = In.indexOf(end, from, cs);
    Pos = found < 0 ? In.size() : found + end.size();
  }

  QString Name() {
    const qsizetype start = Pos;
    while (Pos < In.size() && !IsSpace(In[Pos]) && In[Pos] != '/' && In[Pos] != '>') ++Pos;
    return In.mid(start, Pos - start).toLower();
  }

  // A tag that the page never closes takes the rest of the page with it.
  bool ReadAttributes(TTag& tag) {
    while (Pos < In.size()) {
      while (Pos < In.size() && (IsSpace(In[Pos]) || In[Pos] == '/')) ++Pos;
      if (Pos >= In.size()) break;
      if (In[Pos] == '>') {
        ++Pos;
        return true;
      }
      const qsizetype start = Pos++;
      while (Pos < In.size() && !IsSpace(In[Pos]) && In[Pos] != '/' && In[Pos] != '>' &&
             In[Pos] != '=')
        ++Pos;
      const QString name = In.mid(start, Pos - start).toLower();
      while (Pos < In.size() && IsSpace(In[Pos])) ++Pos;
      QString value;
      if (Pos < In.size() && In[Pos] == '=') {
        ++Pos;
        while (Pos < In.size() && IsSpace(In[Pos])) ++Pos;
        if (Pos >= In.size()) break;
        const QChar quote = In[Pos];
        const qsizetype from = quote == '"' || quote == '\'' ? Pos + 1 : Pos;
        qsizetype end = from;
        if (from > Pos) {
          end = In.indexOf(quote, from);
          if (end < 0) break;
        } else {
          while (end < In.size() && !IsSpace(In[end]) && In[end] != '>') ++end;
        }
        value = In.mid(from, end - from);
        Pos = from > Pos ? end + 1 : end;
      }
      // Only attributes that some element keeps are worth holding, and a few of them.
      if (tag.Attributes.size() < 16 && AttributeValues().contains(name))
        tag.Attributes.append({name, value});
    }
    Pos = In.size();
    return false;
  }

  int Nearest(const QString& name, qsizetype below = 0) const {
    for (qsizetype i = Open.size() - 1; i >= below; --i)
      if (Open[i] == name) return int(i);
    return -1;
  }

  qsizetype TableFloor() const { return std::max(Nearest("table"), 0); }

  void StartTag(const TTag& tag) {
    const auto kept = Elements().constFind(tag.Name);
    if (kept == Elements().cend()) return;
    const QString top = Open.isEmpty() ? QString() : Open.last();
    const bool inTableRows = top == "table" || top == "tr";
    if (tag.Name == "tr" || tag.Name == "td" || tag.Name == "th") {
      const int table = Nearest("table");
      if (table < 0) return;
      if (tag.Name == "tr") {
        CloseTo(table + 1);
      } else {
        const int row = Nearest("tr", table);
        if (row < 0) {
          CloseTo(table + 1);
          Open.append("tr");
          Emit("<tr>");
        } else {
          CloseTo(row + 1);
        }
        if (++Cells > MaxTableCells) Over = true;
      }
    } else if (inTableRows) {
      return;  // only rows and cells go directly in a table
    } else if (tag.Name == "table") {
      if (Open.count("table") >= MaxTableDepth) Over = true;
    } else if (tag.Name == "body") {
      if (BodySeen) return;
      BodySeen = true;
    }
    QString written = "<" + tag.Name;
    for (const auto& [name, value] : tag.Attributes) {
      if (!kept->contains(name)) continue;
      if (const auto keptValue = KeptValue(AttributeValues().value(name), value)) {
        written += " " + name + "=\"";
        AppendEscaped(written, *keptValue);
        written += '"';
      }
    }
    Emit(written + ">");
    if (!IsVoid(tag.Name)) Open.append(tag.Name);
    if (Open.size() > MaxDepth) Over = true;
  }

  void EndTag(const QString& name) {
    if (name == "body") return;  // what follows is still the page
    const int open = name == "table" ? Nearest("table") : Nearest(name, TableFloor());
    if (open >= 0) CloseTo(open);
  }

  // Closes the open elements from `depth` up.
  void CloseTo(qsizetype depth) {
    while (Open.size() > depth) Out += "</" + Open.takeLast() + ">";
  }

  void Emit(const QString& tag) {
    if (++ElementCount > MaxElements) Over = true;
    Out += tag;
  }

  void Text(QStringView text) {
    if (text.isEmpty()) return;
    const QString top = Open.isEmpty() ? QString() : Open.last();
    if (top == "table" || top == "tr") return;
    QString collapsed;
    for (const QChar c : text) {
      if (!IsSpace(c))
        collapsed += c;
      else if (!collapsed.endsWith(' ') && !(collapsed.isEmpty() && Out.endsWith(' ')))
        collapsed += ' ';
    }
    TextChars += collapsed.size();
    if (TextChars > MaxTextChars) Over = true;
    AppendEscaped(Out, collapsed);
  }

  const QString& In;
  qsizetype Pos = 0;
  QString Out;
  QStringList Open;
  int ElementCount = 0;
  int Cells = 0;
  qsizetype TextChars = 0;
  bool BodySeen = false;
  bool Over = false;
};

}  // namespace

std::optional<QString> Reduced(const QString& html) {
  return TReducer(html).Run();
}

}  // namespace PageMarkup
