#include "chart/Description.h"

#include "Properties.h"
#include "chart/Chart.h"
#include "rtl/Exceptions.h"

#include <yaml-cpp/depthguard.h>
#include <yaml-cpp/yaml.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <memory>
#include <typeindex>
#include <unordered_map>

namespace kiv {

namespace {

using namespace description;

constexpr const char* EndMarker = "...";
// Passes over the values set that a later setter changed back or that were refused.
constexpr int MaxSettlePasses = 4;

// Keys of a series entry that are not properties.
constexpr std::string_view KindKey = "Kind", FunctionKey = "Function", SourcesKey = "DataSources",
                           PointsKey = "Points", SeriesKey = "Series";

int LineOf(const YAML::Node& node) {
    return node.Mark().line + 1;
}

[[noreturn]] void Fail(int line, const std::string& message) {
    throw DescriptionException("line " + std::to_string(line) + ": " + message);
}

std::string NumberText(double value) {
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

bool ParseDouble(const std::string& text, double& value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end && !text.empty();
}

bool ParseInt(const std::string& text, std::int64_t& value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end && !text.empty();
}

bool Same(const TValue& a, const TValue& b) {
    if (const double* x = std::get_if<double>(&a))
        if (const double* y = std::get_if<double>(&b))
            return *x == *y || (std::isnan(*x) && std::isnan(*y));
    return a == b;
}

// ---- Saving ----

void Emit(YAML::Emitter& out, const TProperty& property, const TValue& value) {
    switch (property.Kind) {
    case TValueKind::Bool:
        out << std::get<bool>(value);
        break;
    case TValueKind::Int: {
        const std::int64_t n = std::get<std::int64_t>(value);
        if (!property.Names.empty() && n >= 0 && n < std::int64_t(property.Names.size()))
            out << property.Names[size_t(n)];
        else
            out << static_cast<long long>(n);
        break;
    }
    case TValueKind::Double:
        out << NumberText(std::get<double>(value));
        break;
    case TValueKind::Text:
        out << YAML::DoubleQuoted << std::get<std::string>(value);
        break;
    case TValueKind::Lines:
        out << YAML::Flow << YAML::BeginSeq;
        for (const std::string& line : std::get<std::vector<std::string>>(value))
            out << YAML::DoubleQuoted << line;
        out << YAML::EndSeq;
        break;
    }
}

bool Differs(const TObjectType& type, void* object, void* defaults) {
    for (const TProperty& p : type.Properties)
        if (!Same(p.Get(object), p.Get(defaults))) return true;
    for (const TChild& c : type.Children)
        if (Differs(*c.Type, c.Access(object), c.Access(defaults))) return true;
    return false;
}

// The keys of object whose values differ from defaults; sub-objects only when something in
// them differs.
void EmitDifferences(YAML::Emitter& out, const TObjectType& type, void* object, void* defaults) {
    for (const TProperty& p : type.Properties) {
        const TValue value = p.Get(object);
        if (Same(value, p.Get(defaults))) continue;
        out << YAML::Key << std::string(p.Name) << YAML::Value;
        Emit(out, p, value);
    }
    for (const TChild& c : type.Children) {
        void* child = c.Access(object);
        void* childDefaults = c.Access(defaults);
        if (!Differs(*c.Type, child, childDefaults)) continue;
        out << YAML::Key << std::string(c.Name) << YAML::Value << YAML::BeginMap;
        EmitDifferences(out, *c.Type, child, childDefaults);
        out << YAML::EndMap;
    }
}

// Registered class names by the type of an instance.
template <class Base, class Class> class TKindNames {
public:
    template <class Classes> explicit TKindNames(const Classes& classes) {
        for (const Class& cls : classes) {
            if (!cls) continue;
            const std::unique_ptr<Base> probe(cls.Create());
            names_.emplace(std::type_index(typeid(*probe)), cls);
        }
    }
    const Class* Find(const Base& object) const {
        const auto it = names_.find(std::type_index(typeid(object)));
        return it == names_.end() ? nullptr : &it->second;
    }

private:
    std::unordered_map<std::type_index, Class> names_;
};

// The value lists a series kind keeps beyond X and Y (a candle's Open, High and Low), in their
// order: a point's values in them are saved and loaded under the lists' names.
std::vector<TChartValueList*> ExtraLists(const TChartSeries& series) {
    std::vector<TChartValueList*> lists;
    for (const auto& list : series.ValueLists())
        if (list.get() != &series.XValues() && list.get() != &series.YValues())
            lists.push_back(list.get());
    return lists;
}

// The names of those lists for a series kind.
std::vector<std::string> ExtraListNames(const TChartSeriesClass& kind) {
    const std::unique_ptr<TChartSeries> probe(kind.Create());
    std::vector<std::string> names;
    for (const TChartValueList* list : ExtraLists(*probe)) names.push_back(list->Name());
    return names;
}

// The raw values: a load sets the Multiplier before it adds them.
void EmitNumbers(YAML::Emitter& out, const char* key, const TChartValueList& list) {
    out << YAML::Key << key << YAML::Value << YAML::Flow << YAML::BeginSeq;
    const double* values = list.RawValues();
    for (int i = 0, n = list.ItemCount(); i < n; ++i) out << NumberText(values[i]);
    out << YAML::EndSeq;
}

// The points' values, and their labels and own colours when any point has one. A colour that
// the series would give the point anyway is written as the automatic colour.
void EmitPoints(YAML::Emitter& out, const TChartSeries& series) {
    out << YAML::Key << std::string(PointsKey) << YAML::Value << YAML::BeginMap;
    EmitNumbers(out, "X", series.XValues());
    EmitNumbers(out, "Y", series.YValues());
    for (const TChartValueList* list : ExtraLists(series))
        EmitNumbers(out, list->Name().c_str(), *list);
    if (series.PointLabelCount() > 0) {
        out << YAML::Key << "Labels" << YAML::Value << YAML::Flow << YAML::BeginSeq;
        for (int i = 0; i < series.PointLabelCount(); ++i)
            out << YAML::DoubleQuoted << series.PointLabel(i);
        out << YAML::EndSeq;
    }
    std::vector<TColor> colors(size_t(series.PointColorCount()), AutoColor);
    bool anyColor = false;
    for (int i = 0; i < series.PointColorCount(); ++i) {
        const TColor color = series.PointColor(i);
        const TColor automatic =
            series.ColorEachPoint() ? GetDefaultColor(i) : series.SeriesColor();
        if (color != automatic) colors[size_t(i)] = color, anyColor = true;
    }
    if (anyColor) {
        out << YAML::Key << "Colors" << YAML::Value << YAML::Flow << YAML::BeginSeq;
        for (TColor color : colors) out << color;
        out << YAML::EndSeq;
    }
    out << YAML::EndMap;
}

// ---- Loading: checks that need nothing of the chart ----

struct TSeriesEntry {
    YAML::Node Node;
    TChartSeriesClass Class;
    TFunctionClass Function;
    std::vector<int> Sources;
};

std::string Scalar(const YAML::Node& node, const std::string& what) {
    if (!node.IsScalar()) Fail(LineOf(node), what + " must be a single value");
    return node.Scalar();
}

void CheckNumbers(const YAML::Node& list, const std::string& what, size_t count) {
    if (!list.IsSequence()) Fail(LineOf(list), what + " must be a list of numbers");
    if (count != size_t(-1) && list.size() != count)
        Fail(LineOf(list), what + " has " + std::to_string(list.size()) + " values for " +
                               std::to_string(count) + " points");
    for (const YAML::Node& item : list) {
        double value;
        if (!item.IsScalar() || !ParseDouble(item.Scalar(), value))
            Fail(LineOf(item),
                 what + ": '" + (item.IsScalar() ? item.Scalar() : "...") + "' is not a number");
    }
}

void CheckPoints(const YAML::Node& points, const std::vector<std::string>& extraLists) {
    if (!points.IsMap()) Fail(LineOf(points), "Points must hold X and Y lists");
    for (const auto& entry : points) {
        const std::string key = Scalar(entry.first, "a key");
        if (key != "X" && key != "Y" && key != "Labels" && key != "Colors" &&
            std::find(extraLists.begin(), extraLists.end(), key) == extraLists.end())
            Fail(LineOf(entry.first), "unknown key '" + key + "' in Points");
    }
    const YAML::Node x = points["X"], y = points["Y"];
    if (!x || !y) Fail(LineOf(points), "Points must hold X and Y lists");
    CheckNumbers(x, "Points.X", size_t(-1));
    CheckNumbers(y, "Points.Y", x.size());
    for (const std::string& name : extraLists)
        if (const YAML::Node list = points[name]) CheckNumbers(list, "Points." + name, x.size());
    if (const YAML::Node labels = points["Labels"]) {
        if (!labels.IsSequence() || labels.size() > x.size())
            Fail(LineOf(labels), "Points.Labels must be a list of at most one label a point");
        for (const YAML::Node& label : labels) Scalar(label, "a label");
    }
    if (const YAML::Node colors = points["Colors"]) {
        if (!colors.IsSequence() || colors.size() > x.size())
            Fail(LineOf(colors), "Points.Colors must be a list of at most one colour a point");
        for (const YAML::Node& color : colors) {
            std::int64_t value;
            if (!color.IsScalar() || !ParseInt(color.Scalar(), value) || value < 0 ||
                value > std::int64_t(UINT32_MAX))
                Fail(LineOf(color), "Points.Colors: '" +
                                        (color.IsScalar() ? color.Scalar() : "...") +
                                        "' is not a colour");
        }
    }
}

// A series by its name, or by its place in the list.
std::string SeriesLabel(const std::vector<TSeriesEntry>& entries, int index) {
    const YAML::Node name = entries[size_t(index)].Node["Name"];
    return name && name.IsScalar() && !name.Scalar().empty() ? name.Scalar()
                                                             : "#" + std::to_string(index);
}

// Every series' kind, function and sources, checked before the chart is touched. An alias
// repeats a part without its text: what the series hold may not outgrow the text's size, so
// the cost of a load stays bounded by it.
std::vector<TSeriesEntry> CheckSeries(const YAML::Node& root, size_t textSize) {
    size_t held = 0;
    std::vector<TSeriesEntry> entries;
    const YAML::Node list = root[std::string(SeriesKey)];
    if (!list) return entries;
    if (!list.IsSequence()) Fail(LineOf(list), "Series must be a list");
    std::unordered_map<std::string, int> byName;
    for (const YAML::Node& node : list) {
        if (!node.IsMap()) Fail(LineOf(node), "a series must be a map of its properties");
        TSeriesEntry entry{node, {}, {}, {}};
        const YAML::Node kind = node[std::string(KindKey)];
        if (!kind) Fail(LineOf(node), "a series without its Kind");
        const std::string kindName = Scalar(kind, "Kind");
        entry.Class = FindSeriesClass(kindName);
        if (!entry.Class) Fail(LineOf(kind), "series kind '" + kindName + "' is not registered");
        if (const YAML::Node function = node[std::string(FunctionKey)]) {
            if (!function.IsMap() || !function[std::string(KindKey)])
                Fail(LineOf(function), "Function must be a map with its Kind");
            const YAML::Node functionKind = function[std::string(KindKey)];
            const std::string functionName = Scalar(functionKind, "Kind");
            entry.Function = FindFunctionClass(functionName);
            if (!entry.Function)
                Fail(LineOf(functionKind), "function '" + functionName + "' is not registered");
        }
        held += node.size();
        if (const YAML::Node points = node[std::string(PointsKey)]) {
            const std::vector<std::string> extraLists = ExtraListNames(entry.Class);
            CheckPoints(points, extraLists);
            held += points["X"].size() * (2 + extraLists.size());
        }
        if (held > textSize)
            Fail(LineOf(node), "the series repeat more than the description holds (aliases)");
        if (const YAML::Node name = node["Name"]; name && name.IsScalar() && !name.Scalar().empty())
            byName.emplace(name.Scalar(), int(entries.size()));
        entries.push_back(std::move(entry));
    }
    // Sources by name, or by their place in the list.
    for (TSeriesEntry& entry : entries) {
        const YAML::Node sources = entry.Node[std::string(SourcesKey)];
        if (!sources) continue;
        if (!sources.IsSequence()) Fail(LineOf(sources), "DataSources must be a list");
        for (const YAML::Node& source : sources) {
            const std::string name = Scalar(source, "a data source");
            std::int64_t index;
            const auto named = byName.find(name);
            if (named != byName.end())
                entry.Sources.push_back(named->second);
            else if (ParseInt(name, index) && index >= 0 && index < std::int64_t(entries.size()))
                entry.Sources.push_back(int(index));
            else
                Fail(LineOf(source), "data source '" + name + "' names no series");
        }
    }
    // A series may not depend on itself through its sources (walked without recursion: a
    // description may chain many series).
    enum { Unseen, Open, Done };
    std::vector<int> state(entries.size(), Unseen);
    std::vector<std::pair<int, size_t>> stack;
    for (size_t first = 0; first < entries.size(); ++first) {
        if (state[first] != Unseen) continue;
        stack.emplace_back(int(first), 0);
        state[first] = Open;
        while (!stack.empty()) {
            auto& [i, next] = stack.back();
            const std::vector<int>& sources = entries[size_t(i)].Sources;
            if (next == sources.size()) {
                state[size_t(i)] = Done;
                stack.pop_back();
                continue;
            }
            const int s = sources[next++];
            if (state[size_t(s)] == Open) {
                std::string cycle;
                const auto from = std::find_if(stack.begin(), stack.end(),
                                               [&](const auto& open) { return open.first == s; });
                for (auto it = from; it != stack.end(); ++it)
                    cycle += SeriesLabel(entries, it->first) + " -> ";
                Fail(LineOf(entries[size_t(i)].Node[std::string(SourcesKey)]),
                     "data sources in a cycle: " + cycle + SeriesLabel(entries, s));
            }
            if (state[size_t(s)] == Unseen) {
                state[size_t(s)] = Open;
                stack.emplace_back(s, 0);
            }
        }
    }
    return entries;
}

// ---- Loading: applying ----

class TApplier {
public:
    std::vector<TDescriptionIssue> Issues;

    void Issue(const YAML::Node& node, const std::string& message) {
        Issues.push_back({LineOf(node), message});
    }

    // Sets again what was refused, or changed back by a later setter, while some other value
    // stood in the way (a 3D view's elevation follows its orthogonal switch), as long as that
    // helps; what still does not hold keeps its old value and is reported.
    void Settle() {
        for (int pass = 0; pass < MaxSettlePasses; ++pass) {
            bool progress = false, open = false;
            for (TIntended& i : intended_) {
                if (Same(i.Property->Get(i.Object), i.Value)) continue;
                open = true;
                try {
                    i.Property->Set(i.Object, i.Value);
                    progress = true;
                    i.Refusal.clear();
                } catch (const std::exception& e) {
                    i.Refusal = e.what();
                }
            }
            if (!open || !progress) break;
        }
        for (const TIntended& i : intended_)
            if (!Same(i.Property->Get(i.Object), i.Value))
                Issues.push_back(
                    {i.Line, i.Path + ": " +
                                 (i.Refusal.empty() ? "another value sets it back" : i.Refusal)});
        intended_.clear();
    }

    // Sets the properties of types that map holds; with defaults, those it leaves out return to
    // their defaults.
    void Apply(const std::vector<const TObjectType*>& types, void* object, void* defaults,
               const YAML::Node& map, const std::string& path) {
        for (const TObjectType* type : types) {
            for (const TProperty& p : type->Properties) {
                const YAML::Node node = map[std::string(p.Name)];
                if (node)
                    SetFromNode(p, object, node, path + std::string(p.Name));
                else if (defaults)
                    Reset(p, object, defaults, path + std::string(p.Name));
            }
            for (const TChild& c : type->Children) {
                const YAML::Node node = map[std::string(c.Name)];
                const std::string childPath = path + std::string(c.Name);
                void* childDefaults = defaults ? c.Access(defaults) : nullptr;
                if (node && !node.IsMap()) {
                    Issue(node, childPath + " must be a map of its properties");
                    continue;
                }
                Apply({c.Type}, c.Access(object), childDefaults, node ? node : YAML::Node(),
                      childPath + ".");
            }
        }
    }

    // Reports the keys of map that none of types knows.
    void ReportUnknown(const std::vector<const TObjectType*>& types, const YAML::Node& map,
                       const std::string& where, std::initializer_list<std::string_view> extra) {
        if (!map.IsMap()) return;
        for (const auto& entry : map) {
            const std::string key = entry.first.IsScalar() ? entry.first.Scalar() : "";
            const auto known = [&](const TObjectType* type) {
                return std::any_of(type->Properties.begin(), type->Properties.end(),
                                   [&](const TProperty& p) { return p.Name == key; }) ||
                       std::any_of(type->Children.begin(), type->Children.end(),
                                   [&](const TChild& c) { return c.Name == key; });
            };
            if (std::find(extra.begin(), extra.end(), key) != extra.end()) continue;
            if (std::any_of(types.begin(), types.end(), known)) {
                for (const TObjectType* type : types)
                    for (const TChild& c : type->Children)
                        if (c.Name == key && entry.second.IsMap())
                            ReportUnknown({c.Type}, entry.second, where + key + ".", {});
                continue;
            }
            Issue(entry.first,
                  "unknown key '" + key + "'" +
                      (where.empty() ? "" : " in " + where.substr(0, where.size() - 1)));
        }
    }

private:
    void SetFromNode(const TProperty& p, void* object, const YAML::Node& node,
                     const std::string& path) {
        TValue value;
        if (Parse(p, node, value, path)) Set(p, object, std::move(value), LineOf(node), path);
    }

    // A value the default of another property may not allow yet (a 3D view's elevation while
    // it is orthogonal): tried again once the rest is set.
    void Reset(const TProperty& p, void* object, void* defaults, const std::string& path) {
        TValue value = p.Get(defaults);
        if (!Same(p.Get(object), value)) Set(p, object, std::move(value), 1, path);
    }

    void Set(const TProperty& p, void* object, TValue value, int line, const std::string& path) {
        std::string refusal;
        try {
            p.Set(object, value);
        } catch (const std::exception& e) {
            refusal = e.what();
        }
        intended_.push_back({&p, object, std::move(value), line, path, std::move(refusal)});
    }

    bool Parse(const TProperty& p, const YAML::Node& node, TValue& value, const std::string& path) {
        if (p.Kind == TValueKind::Lines) {
            if (!node.IsSequence()) return Wrong(node, path, "a list of lines");
            std::vector<std::string> lines;
            for (const YAML::Node& line : node) {
                if (!line.IsScalar()) return Wrong(node, path, "a list of lines");
                lines.push_back(line.Scalar());
            }
            value = std::move(lines);
            return true;
        }
        if (!node.IsScalar()) return Wrong(node, path, "a single value");
        const std::string& text = node.Scalar();
        switch (p.Kind) {
        case TValueKind::Bool:
            if (text != "true" && text != "false")
                return Wrong(node, path, "'" + text + "' is not true or false", false);
            value = text == "true";
            return true;
        case TValueKind::Int: {
            if (!p.Names.empty()) {
                for (size_t i = 0; i < p.Names.size(); ++i)
                    if (text == p.Names[i]) {
                        value = std::int64_t(i);
                        return true;
                    }
                std::string names;
                for (const char* name : p.Names)
                    names += (names.empty() ? "" : ", ") + std::string(name);
                return Wrong(node, path, "'" + text + "' is not one of " + names, false);
            }
            std::int64_t n;
            if (!ParseInt(text, n) || n < p.Min || n > p.Max)
                return Wrong(node, path,
                             "'" + text + "' is not an integer from " + std::to_string(p.Min) +
                                 " to " + std::to_string(p.Max),
                             false);
            value = n;
            return true;
        }
        case TValueKind::Double: {
            double d;
            if (!ParseDouble(text, d))
                return Wrong(node, path, "'" + text + "' is not a number", false);
            value = d;
            return true;
        }
        default:
            value = text;
            return true;
        }
    }

    bool Wrong(const YAML::Node& node, const std::string& path, const std::string& what,
               bool expected = true) {
        Issue(node, path + ": " + (expected ? "expected " : "") + what);
        return false;
    }

    // A value the description asks for (or a default it returns to), and why it was refused.
    struct TIntended {
        const TProperty* Property;
        void* Object;
        TValue Value;
        int Line;
        std::string Path;
        std::string Refusal;
    };
    std::vector<TIntended> intended_;
};

void AppendPoints(TChartSeries& series, const YAML::Node& points) {
    const YAML::Node x = points["X"], y = points["Y"], labels = points["Labels"],
                     colors = points["Colors"];
    const size_t labelCount = labels ? labels.size() : 0, colorCount = colors ? colors.size() : 0;
    for (size_t i = 0; i < x.size(); ++i) {
        double px = 0, py = 0;
        std::int64_t color = AutoColor;
        ParseDouble(x[i].Scalar(), px);
        ParseDouble(y[i].Scalar(), py);
        if (i < colorCount) ParseInt(colors[i].Scalar(), color);
        const int index = series.AppendPoint(
            px, py, i < labelCount ? labels[i].Scalar() : std::string(), TColor(color));
        for (TChartValueList* list : ExtraLists(series)) {
            const YAML::Node values = points[list->Name()];
            if (!values) continue;
            double value = 0;
            ParseDouble(values[i].Scalar(), value);
            list->SetValueAt(index, value);
        }
    }
}

YAML::Node Parse(std::string_view text) {
    if (text.size() > MaxDescriptionSize) {
        const auto lines = std::count(text.begin(), text.begin() + MaxDescriptionSize, '\n');
        Fail(int(lines) + 1,
             "the description is longer than " + std::to_string(MaxDescriptionSize) + " bytes");
    }
    // A description ends with the end marker: one without it was cut short.
    size_t end = text.find_last_not_of(" \t\r\n");
    const size_t start = end == std::string_view::npos ? 0 : text.rfind('\n', end);
    const std::string_view last =
        end == std::string_view::npos
            ? std::string_view()
            : text.substr(start == std::string_view::npos ? 0 : start + 1,
                          end + 1 - (start == std::string_view::npos ? 0 : start + 1));
    if (last != EndMarker)
        Fail(int(std::count(text.begin(), text.end(), '\n')) + 1,
             "the description ends before its end marker '...' (is it cut short?)");
    YAML::Node root;
    try {
        root = YAML::Load(std::string(text));
    } catch (const YAML::DeepRecursion& e) {
        Fail(e.mark.line + 1, "the description nests too deeply");
    } catch (const YAML::Exception& e) {
        Fail(e.mark.line + 1, e.msg);
    }
    if (root.IsNull()) return YAML::Node(YAML::NodeType::Map);
    if (!root.IsMap()) Fail(LineOf(root), "a description must be a map of the chart's properties");
    return root;
}

} // namespace

std::string SaveChartDescription(TCustomChart& chart, bool withPoints) {
    const TKindNames<TChartSeries, TChartSeriesClass> kinds([] {
        std::vector<TChartSeriesClass> classes;
        for (const TKivSeriesType& t : TKivSeriesTypes::Instance())
            classes.push_back(t.SeriesClass);
        return classes;
    }());
    const TKindNames<TKivFunction, TFunctionClass> functions([] {
        std::vector<TFunctionClass> classes;
        for (const TKivSeriesType& t : TKivSeriesTypes::Instance())
            classes.push_back(t.FunctionClass);
        return classes;
    }());

    YAML::Emitter out;
    out << YAML::BeginMap;
    TChart defaults;
    EmitDifferences(out, ChartType(), static_cast<TCustomChart*>(&chart),
                    static_cast<TCustomChart*>(&defaults));
    const TChartSeriesList& list = chart.SeriesList();
    if (list.Count() > 0) {
        out << YAML::Key << std::string(SeriesKey) << YAML::Value << YAML::BeginSeq;
        for (TChartSeries* series : list) {
            const TChartSeriesClass* kind = kinds.Find(*series);
            if (!kind)
                throw DescriptionException("series '" + series->Title() +
                                           "' is of a kind that is not registered");
            const std::unique_ptr<TChartSeries> fresh(kind->Create());
            out << YAML::BeginMap << YAML::Key << std::string(KindKey) << YAML::Value << kind->Name;
            for (const TObjectType* type : SeriesTypes(*series))
                EmitDifferences(out, *type, series, fresh.get());
            if (TKivFunction* function = series->SeriesFunction()) {
                const TFunctionClass* cls = functions.Find(*function);
                if (!cls)
                    throw DescriptionException("the function of series '" + series->Title() +
                                               "' is not registered");
                const std::unique_ptr<TKivFunction> freshFunction(cls->Create());
                out << YAML::Key << std::string(FunctionKey) << YAML::Value << YAML::BeginMap
                    << YAML::Key << std::string(KindKey) << YAML::Value << cls->Name;
                EmitDifferences(out, FunctionType(), function, freshFunction.get());
                out << YAML::EndMap;
            }
            if (!series->DataSources().empty()) {
                out << YAML::Key << std::string(SourcesKey) << YAML::Value << YAML::Flow
                    << YAML::BeginSeq;
                for (TComponent* source : series->DataSources()) {
                    const auto* s = dynamic_cast<TChartSeries*>(source);
                    const int index = s ? list.IndexOf(s) : -1;
                    if (index < 0)
                        throw DescriptionException("a data source of series '" + series->Title() +
                                                   "' is not on the chart");
                    if (s->Name().empty())
                        out << index;
                    else
                        out << YAML::DoubleQuoted << s->Name();
                }
                out << YAML::EndSeq;
            }
            // A function's points follow from its sources.
            if (withPoints && !series->SeriesFunction() && series->PointCount() > 0)
                EmitPoints(out, *series);
            out << YAML::EndMap;
        }
        out << YAML::EndSeq;
    }
    out << YAML::EndMap;
    return std::string(out.c_str()) + "\n" + EndMarker + "\n";
}

std::vector<TDescriptionIssue> LoadChartDescription(TCustomChart& chart, std::string_view text) {
    const YAML::Node root = Parse(text);
    std::vector<TSeriesEntry> entries = CheckSeries(root, text.size());

    // Nothing below fails as a whole: what cannot be set is skipped and reported.
    TApplier applier;
    applier.ReportUnknown({&ChartType()}, root, "", {SeriesKey});
    TChart defaults;
    chart.BeginLoading();
    // The old series go first: a round series gives the chart back the view it changed.
    while (chart.SeriesCount() > 0) delete chart.SeriesList()[0];
    applier.Apply({&ChartType()}, static_cast<TCustomChart*>(&chart),
                  static_cast<TCustomChart*>(&defaults), root, "");
    applier.Settle();
    std::vector<TChartSeries*> created;
    for (const TSeriesEntry& entry : entries) {
        TChartSeries* series = entry.Class.Create();
        series->BeginLoading();
        series->SetParentChart(&chart);
        created.push_back(series);
        const std::vector<const TObjectType*> types = SeriesTypes(*series);
        applier.ReportUnknown(types, entry.Node, "", {KindKey, FunctionKey, SourcesKey, PointsKey});
        applier.Apply(types, series, nullptr, entry.Node, "");
        if (entry.Function) {
            series->AttachFunction(std::unique_ptr<TKivFunction>(entry.Function.Create()));
            const YAML::Node function = entry.Node[std::string(FunctionKey)];
            applier.ReportUnknown({&FunctionType()}, function, "Function.", {KindKey});
            applier.Apply({&FunctionType()}, series->SeriesFunction(), nullptr, function,
                          "Function.");
        }
        applier.Settle();
        if (const YAML::Node points = entry.Node[std::string(PointsKey)])
            AppendPoints(*series, points);
    }
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].Sources.empty()) continue;
        std::vector<TComponent*> sources;
        for (int s : entries[i].Sources) sources.push_back(created[size_t(s)]);
        try {
            created[i]->SetDataSources(sources);
        } catch (const std::exception& e) {
            applier.Issue(entries[i].Node[std::string(SourcesKey)],
                          std::string(SourcesKey) + ": " + e.what());
        }
    }
    for (TChartSeries* series : created) series->EndLoading();
    chart.EndLoading();
    chart.Invalidate();
    std::stable_sort(applier.Issues.begin(), applier.Issues.end(),
                     [](const auto& a, const auto& b) { return a.Line < b.Line; });
    return std::move(applier.Issues);
}

void SaveChartDescriptionToFile(TCustomChart& chart, const std::string& fileName, bool withPoints) {
    const std::string text = SaveChartDescription(chart, withPoints);
    std::ofstream file(fileName, std::ios::binary | std::ios::trunc);
    if (!file.write(text.data(), std::streamsize(text.size())) || !file.flush())
        throw rtl::EInOutError("Cannot write " + fileName);
}

std::vector<TDescriptionIssue> LoadChartDescriptionFromFile(TCustomChart& chart,
                                                            const std::string& fileName) {
    std::error_code error;
    const auto size = std::filesystem::file_size(fileName, error);
    if (error) throw rtl::EInOutError("Cannot read " + fileName);
    // Too long a file is refused before it is read.
    if (size > MaxDescriptionSize)
        throw DescriptionException(fileName + ": the description is longer than " +
                                   std::to_string(MaxDescriptionSize) + " bytes");
    std::ifstream file(fileName, std::ios::binary);
    std::string text(size_t(size), '\0');
    if (!file.read(text.data(), std::streamsize(size)))
        throw rtl::EInOutError("Cannot read " + fileName);
    return LoadChartDescription(chart, text);
}

} // namespace kiv
