#include "tools/mkimage/form_loader.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <QString>

#include <algorithm>
#include <array>
#include <optional>
#include <set>
#include <utility>

#include "image/event_numbers.h"
#include "runtime/text/gbk_codec.h"

namespace pcshop::mkimage {
namespace {

struct KindInfo {
  std::string_view name;
  uint32_t type;
  std::array<std::pair<std::string_view, uint32_t>, 3> styles;  // empty names unused
};

constexpr std::array<KindInfo, 8> kKinds = {{
    {"window", image::type_id::kWindow, {}},
    {"edit", image::type_id::kEditBox, {{{"read_only", image::style::kEditReadOnly}}}},
    {"group", image::type_id::kGroupBox, {}},
    {"button", image::type_id::kButton, {}},
    {"combo", image::type_id::kComboBox,
     {{{"list_only", image::style::kComboListOnly}, {"editable", 0}}}},
    {"dialog", image::type_id::kCommonDialog, {{{"save", image::style::kDialogSave}}}},
    {"list", image::type_id::kListView,
     {{{"report", image::style::kListReport},
       {"grid_lines", image::style::kListGridLines},
       {"full_row_select", image::style::kListFullRowSelect}}}},
    {"label", image::type_id::kLabel, {{{"transparent", image::style::kLabelTransparent}}}},
}};

const KindInfo* FindKind(std::string_view name) {
  for (const KindInfo& k : kKinds) {
    if (k.name == name) return &k;
  }
  return nullptr;
}

std::string Str(const QString& s) { return s.toStdString(); }

// Reports against one file and one item ("control 按钮配置保存").
class Reader {
 public:
  explicit Reader(std::string_view file) : file_(file) {}

  Status Fail(std::string_view item, std::string_view what) const {
    std::string msg = file_;
    if (!item.empty()) msg += ": " + std::string(item);
    msg += ": " + std::string(what);
    return Status::InvalidArgument(std::move(msg));
  }

  Result<QJsonObject> ParseObject(std::string_view json) const {
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(
        QByteArray(json.data(), static_cast<qsizetype>(json.size())), &error);
    if (error.error != QJsonParseError::NoError) {
      const auto offset = static_cast<size_t>(std::max<qsizetype>(error.offset, 0));
      const size_t line =
          1 + static_cast<size_t>(std::count(json.begin(),
                                             json.begin() + static_cast<std::ptrdiff_t>(
                                                                std::min(offset, json.size())),
                                             '\n'));
      return Fail("", "malformed JSON at line " + std::to_string(line) + ": " +
                          Str(error.errorString()));
    }
    if (!doc.isObject()) return Fail("", "malformed JSON: the top level is not an object");
    return doc.object();
  }

  // UTF-8 -> GBK, refusing what GBK cannot hold.
  Result<std::string> Gbk(std::string_view item, const QString& text) const {
    const std::string utf8 = Str(text);
    Result<std::string> gbk = text::Utf8ToGbk(utf8);
    if (!gbk.ok()) {
      return Fail(item, "text \"" + utf8 + "\" cannot be written in GBK (" +
                            gbk.status().message() + ")");
    }
    return gbk;
  }

  Result<QString> RequiredString(std::string_view item, const QJsonObject& o,
                                 const char* field) const {
    const QJsonValue v = o.value(QLatin1String(field));
    if (!v.isString()) return Fail(item, std::string("missing text field \"") + field + "\"");
    return v.toString();
  }

  Result<std::string> OptionalGbk(std::string_view item, const QJsonObject& o,
                                  const char* field) const {
    const QJsonValue v = o.value(QLatin1String(field));
    if (v.isUndefined()) return std::string();
    if (!v.isString()) return Fail(item, std::string("field \"") + field + "\" is not a text");
    return Gbk(item, v.toString());
  }

  Result<int32_t> OptionalInt(std::string_view item, const QJsonObject& o, const char* field,
                              int32_t fallback) const {
    const QJsonValue v = o.value(QLatin1String(field));
    if (v.isUndefined()) return fallback;
    if (!IsInt(v)) return Fail(item, std::string("field \"") + field + "\" is not a whole number");
    return static_cast<int32_t>(v.toInt());
  }

  Result<bool> OptionalBool(std::string_view item, const QJsonObject& o, const char* field,
                            bool fallback) const {
    const QJsonValue v = o.value(QLatin1String(field));
    if (v.isUndefined()) return fallback;
    if (!v.isBool()) return Fail(item, std::string("field \"") + field + "\" is not true or false");
    return v.toBool();
  }

  static bool IsInt(const QJsonValue& v) {
    if (!v.isDouble()) return false;
    const double d = v.toDouble();
    return d == static_cast<double>(static_cast<int64_t>(d)) && d >= -2147483648.0 &&
           d <= 2147483647.0;
  }

 private:
  std::string file_;
};

bool IsRoutineName(std::string_view s) {
  if (s.empty()) return false;
  const auto alpha = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  const auto digit = [](char c) { return c >= '0' && c <= '9'; };
  if (!alpha(s[0])) return false;
  return std::all_of(s.begin(), s.end(), [&](char c) { return alpha(c) || digit(c) || c == '_'; });
}

// A control name becomes a C++ identifier in the generated symbols: no ASCII
// punctuation or spaces, no leading digit.
bool IsControlName(std::string_view s) {
  if (s.empty() || (s[0] >= '0' && s[0] <= '9')) return false;
  return std::all_of(s.begin(), s.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 0x80 || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
           (c >= '0' && c <= '9') || c == '_';
  });
}

Status ReadGeometry(const Reader& r, std::string_view item, const QJsonObject& o,
                    image::ControlForm& form) {
  const QJsonValue v = o.value(QLatin1String("geometry"));
  const QJsonArray a = v.toArray();
  if (!v.isArray() || a.size() != 4 ||
      !std::all_of(a.begin(), a.end(), [](const QJsonValue& e) { return Reader::IsInt(e); })) {
    return r.Fail(item, "\"geometry\" must be [left, top, width, height]");
  }
  form.left = a[0].toInt();
  form.top = a[1].toInt();
  form.width = a[2].toInt();
  form.height = a[3].toInt();
  if (form.width < 0 || form.height < 0) return r.Fail(item, "negative width or height");
  return Status::Ok();
}

Status ReadFont(const Reader& r, std::string_view item, const QJsonObject& o,
                image::ControlForm& form) {
  const QJsonValue v = o.value(QLatin1String("font"));
  if (v.isUndefined()) return Status::Ok();
  if (!v.isObject()) return r.Fail(item, "\"font\" must be {\"name\": ..., \"size\": ...}");
  const QJsonObject font = v.toObject();
  Result<std::string> name = r.OptionalGbk(item, font, "name");
  if (!name.ok()) return name.status();
  Result<int32_t> size = r.OptionalInt(item, font, "size", 0);
  if (!size.ok()) return size.status();
  form.font_name = std::move(*name);
  form.font_size = *size;
  return Status::Ok();
}

Status ReadStyle(const Reader& r, std::string_view item, const QJsonObject& o,
                 const KindInfo& kind, image::ControlForm& form) {
  const QJsonValue v = o.value(QLatin1String("style"));
  if (v.isUndefined()) return Status::Ok();
  if (!v.isArray()) return r.Fail(item, "\"style\" must be a list of style names");
  for (const QJsonValue& e : v.toArray()) {
    const std::string name = Str(e.toString());
    const auto it = std::find_if(kind.styles.begin(), kind.styles.end(), [&](const auto& s) {
      return !s.first.empty() && s.first == name;
    });
    if (!e.isString() || it == kind.styles.end()) {
      return r.Fail(item, "unknown style \"" + name + "\" for a " + std::string(kind.name));
    }
    form.style |= it->second;
  }
  return Status::Ok();
}

Result<std::vector<std::string>> ReadTextList(const Reader& r, std::string_view item,
                                              const QJsonValue& v, const char* what) {
  std::vector<std::string> out;
  if (!v.isArray()) return r.Fail(item, std::string(what) + " must be a list of texts");
  for (const QJsonValue& e : v.toArray()) {
    if (!e.isString()) return r.Fail(item, std::string(what) + " must be a list of texts");
    Result<std::string> gbk = r.Gbk(item, e.toString());
    if (!gbk.ok()) return gbk.status();
    out.push_back(std::move(*gbk));
  }
  return out;
}

Status ReadListParts(const Reader& r, std::string_view item, const QJsonObject& o,
                     image::ControlForm& form) {
  if (const QJsonValue v = o.value(QLatin1String("items")); !v.isUndefined()) {
    Result<std::vector<std::string>> items = ReadTextList(r, item, v, "\"items\"");
    if (!items.ok()) return items.status();
    form.items = std::move(*items);
  }
  if (const QJsonValue v = o.value(QLatin1String("columns")); !v.isUndefined()) {
    if (!v.isArray()) return r.Fail(item, "\"columns\" must be a list");
    for (const QJsonValue& e : v.toArray()) {
      const QJsonObject c = e.toObject();
      Result<QString> title = r.RequiredString(item, c, "title");
      if (!title.ok()) return title.status();
      Result<std::string> gbk = r.Gbk(item, *title);
      if (!gbk.ok()) return gbk.status();
      Result<int32_t> width = r.OptionalInt(item, c, "width", 80);
      if (!width.ok()) return width.status();
      const std::string align = Str(c.value(QLatin1String("align")).toString(QStringLiteral("left")));
      image::ListColumn column{std::move(*gbk), *width, 0};
      if (align == "right") {
        column.alignment = 1;
      } else if (align == "centre") {
        column.alignment = 2;
      } else if (align != "left") {
        return r.Fail(item, "unknown alignment \"" + align + "\"");
      }
      form.columns.push_back(std::move(column));
    }
  }
  if (const QJsonValue v = o.value(QLatin1String("rows")); !v.isUndefined()) {
    if (!v.isArray()) return r.Fail(item, "\"rows\" must be a list of rows");
    for (const QJsonValue& e : v.toArray()) {
      Result<std::vector<std::string>> row = ReadTextList(r, item, e, "a row");
      if (!row.ok()) return row.status();
      if (row->size() > form.columns.size()) return r.Fail(item, "a row has more cells than columns");
      form.rows.push_back(std::move(*row));
    }
  }
  return Status::Ok();
}

Result<std::vector<RoutineBinding>> ReadBindings(const Reader& r, std::string_view item,
                                                 const QJsonObject& o, uint32_t type) {
  std::vector<RoutineBinding> out;
  const QJsonValue v = o.value(QLatin1String("bindings"));
  if (v.isUndefined()) return out;
  if (!v.isArray()) return r.Fail(item, "\"bindings\" must be a list");
  for (const QJsonValue& e : v.toArray()) {
    const QJsonObject b = e.toObject();
    const std::string event = Str(b.value(QLatin1String("event")).toString());
    const std::optional<int32_t> number = image::EventNumber(type, event);
    if (!number) return r.Fail(item, "unknown event \"" + event + "\"");
    const std::string routine = Str(b.value(QLatin1String("routine")).toString());
    if (routine.empty()) return r.Fail(item, "event \"" + event + "\" has no routine");
    if (!IsRoutineName(routine)) {
      return r.Fail(item, "routine name \"" + routine + "\" is not a plain identifier");
    }
    const bool twice = std::any_of(out.begin(), out.end(), [&](const RoutineBinding& x) {
      return x.event == *number;
    });
    if (twice) return r.Fail(item, "event \"" + event + "\" is bound twice");
    out.push_back({*number, routine});
  }
  return out;
}

// The parts common to the window record and the control records.
Result<SourceControl> ReadRecord(const Reader& r, const QJsonObject& o, const KindInfo& kind,
                                 const std::string& name, std::string_view item) {
  SourceControl c;
  c.name_utf8 = name;
  c.form.type = kind.type;
  Result<std::string> gbk_name = r.Gbk(item, QString::fromStdString(name));
  if (!gbk_name.ok()) return gbk_name.status();
  c.form.name = std::move(*gbk_name);
  if (Status s = ReadGeometry(r, item, o, c.form); !s.ok()) return s;
  Result<std::string> caption = r.OptionalGbk(item, o, "caption");
  if (!caption.ok()) return caption.status();
  c.form.caption = std::move(*caption);
  if (Status s = ReadFont(r, item, o, c.form); !s.ok()) return s;
  Result<bool> visible = r.OptionalBool(item, o, "visible", true);
  if (!visible.ok()) return visible.status();
  Result<bool> enabled = r.OptionalBool(item, o, "enabled", true);
  if (!enabled.ok()) return enabled.status();
  c.form.visible = *visible;
  c.form.enabled = *enabled;
  if (Status s = ReadStyle(r, item, o, kind, c.form); !s.ok()) return s;
  Result<int32_t> limit = r.OptionalInt(item, o, "input_limit", 0);
  if (!limit.ok()) return limit.status();
  if (*limit < 0) return r.Fail(item, "negative input limit");
  c.form.input_limit = *limit;
  if (Status s = ReadListParts(r, item, o, c.form); !s.ok()) return s;
  Result<std::vector<RoutineBinding>> bindings = ReadBindings(r, item, o, kind.type);
  if (!bindings.ok()) return bindings.status();
  c.bindings = std::move(*bindings);
  return c;
}

bool IsWindowKey(std::string_view s) {
  return !s.empty() && s[0] >= 'a' && s[0] <= 'z' &&
         std::all_of(s.begin(), s.end(), [](char c) {
           return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
         });
}

}  // namespace

Result<SourceWindow> LoadWindowForm(std::string_view json, std::string_view file) {
  const Reader r(file);
  Result<QJsonObject> top = r.ParseObject(json);
  if (!top.ok()) return top.status();
  SourceWindow w;
  w.file = std::string(file);
  w.key = Str(top->value(QLatin1String("key")).toString());
  if (!IsWindowKey(w.key)) {
    return r.Fail("", "\"key\" must be a lower-case name such as \"stock_in\"");
  }
  Result<QString> name = r.RequiredString("window", *top, "name");
  if (!name.ok()) return name.status();
  const std::string window_item = "window " + Str(*name);
  Result<SourceControl> window =
      ReadRecord(r, *top, kKinds[0], Str(*name), window_item);
  if (!window.ok()) return window.status();
  w.window = std::move(*window);

  const QJsonValue controls = top->value(QLatin1String("controls"));
  if (!controls.isArray()) return r.Fail(window_item, "\"controls\" must be a list");
  std::set<std::string> names = {w.window.name_utf8};
  std::vector<std::string> parents;  // parent name per control, "" for the window
  for (const QJsonValue& e : controls.toArray()) {
    if (!e.isObject()) return r.Fail(window_item, "a control is not an object");
    const QJsonObject o = e.toObject();
    Result<QString> cname = r.RequiredString(window_item, o, "name");
    if (!cname.ok()) return cname.status();
    const std::string item = "control " + Str(*cname);
    if (!IsControlName(Str(*cname))) {
      return r.Fail(item, "a control name may hold letters, digits and '_' only");
    }
    if (!names.insert(Str(*cname)).second) return r.Fail(item, "duplicate control name");
    const std::string kind_name = Str(o.value(QLatin1String("kind")).toString());
    const KindInfo* kind = FindKind(kind_name);
    if (kind == nullptr || kind->type == image::type_id::kWindow) {
      return r.Fail(item, "unknown kind \"" + kind_name + "\"");
    }
    Result<SourceControl> c = ReadRecord(r, o, *kind, Str(*cname), item);
    if (!c.ok()) return c.status();
    w.controls.push_back(std::move(*c));
    parents.push_back(Str(o.value(QLatin1String("parent")).toString()));
  }

  // Parents by name: an earlier group box of the same window.
  for (size_t i = 0; i < w.controls.size(); ++i) {
    if (parents[i].empty()) continue;
    const auto it = std::find_if(w.controls.begin(), w.controls.begin() + static_cast<std::ptrdiff_t>(i),
                                 [&](const SourceControl& c) { return c.name_utf8 == parents[i]; });
    if (it == w.controls.begin() + static_cast<std::ptrdiff_t>(i) ||
        it->form.type != image::type_id::kGroupBox) {
      return r.Fail("control " + w.controls[i].name_utf8,
                    "parent \"" + parents[i] + "\" is not a group box listed before it");
    }
    w.controls[i].form.parent = static_cast<int32_t>(it - w.controls.begin());
  }
  return w;
}

Result<std::vector<SourceText>> LoadTexts(std::string_view json, std::string_view file) {
  const Reader r(file);
  Result<QJsonObject> top = r.ParseObject(json);
  if (!top.ok()) return top.status();
  std::vector<SourceText> out;
  for (auto it = top->begin(); it != top->end(); ++it) {
    const std::string key = Str(it.key());
    const std::string item = "text " + key;
    const bool camel = !key.empty() && key[0] >= 'A' && key[0] <= 'Z' &&
                       std::all_of(key.begin(), key.end(), [](char c) {
                         return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                                (c >= '0' && c <= '9');
                       });
    if (!camel) return r.Fail(item, "a text key must be ASCII CamelCase");
    if (!it.value().isString()) return r.Fail(item, "the value is not a text");
    Result<std::string> gbk = r.Gbk(item, it.value().toString());
    if (!gbk.ok()) return gbk.status();
    out.push_back({key, std::move(*gbk)});
  }
  return out;
}

}  // namespace pcshop::mkimage
