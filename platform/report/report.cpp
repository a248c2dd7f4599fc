#include "platform/report/report.h"

#include "platform/convert/convert.h"
#include "platform/report/report_data.h"
#include "platform/report/report_painter.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <algorithm>
#include <cmath>
#include <map>
#include <optional>

namespace report {

namespace {

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The fields a set of sections reads, each once, in the order first met.
QStringList fieldsOf(const std::vector<const Section*>& sections, bool aggregates)
{
    QStringList fields;
    for (const Section* section : sections)
        for (const Control& c : section->controls) {
            const bool wanted = aggregates ? c.kind == ControlKind::Function : c.kind == ControlKind::TextBox;
            if (!wanted || c.dataField.isEmpty())
                continue;
            if (std::none_of(fields.begin(), fields.end(), [&](const QString& f) { return sameName(f, c.dataField); }))
                fields << c.dataField;
        }
    return fields;
}

struct Row {
    const QStringList* fields = nullptr;
    QVariantList values;

    QVariant value(const QString& field) const
    {
        for (qsizetype i = 0; i < fields->size(); ++i)
            if (sameName((*fields)[i], field))
                return values[i];
        return {};
    }
};

Row readRow(const RowSource& source, const QStringList& fields)
{
    Row row{&fields, {}};
    row.values.reserve(fields.size());
    for (const QString& f : fields)
        row.values << source.value(f);
    return row;
}

struct Group {
    Row parent;
    std::vector<Row> details;
};

// Sum or count of a field over rows; sums of money stay exact.
QVariant aggregate(const Control& c, const std::vector<const Row*>& rows)
{
    if (c.aggregate == Aggregate::Count) {
        qlonglong n = 0;
        for (const Row* r : rows)
            if (c.dataField.isEmpty() || !r->value(c.dataField).isNull())
                ++n;
        return n;
    }
    bool money = true;
    convert::Currency exact;
    double sum = 0;
    for (const Row* r : rows) {
        const QVariant v = r->value(c.dataField);
        if (v.isNull())
            continue;
        if (v.userType() == qMetaTypeId<convert::Currency>())
            exact += v.value<convert::Currency>();
        else
            money = false;
        sum += convert::toDouble(v);
    }
    return money ? QVariant::fromValue(exact) : QVariant(sum);
}

class Layout {
public:
    Layout(const Report& report, const Section* pageHeader, const Section* pageFooter)
        : report_(report),
          pageHeader_(pageHeader),
          pageFooter_(pageFooter)
    {
        const QDate date = report.printDate.isValid() ? report.printDate : QDate::currentDate();
        longDate_ = convert::formatLongDate(date);
        shortDate_ = convert::formatShortDate(date);
        bottom_ =
            report.paper.height() - report.bottomMargin - (pageFooter && pageFooter->visible ? pageFooter->height : 0);
    }

    // Places a section below what the page holds, on a new page when it does not fit.
    void place(const Section& s, const Row* row, const std::vector<const Row*>& scope)
    {
        if (!s.visible)
            return;
        if (document_.pages.empty())
            startPage();
        const Arranged arranged = arrange(s, row);
        const bool full = report_.breakWhenFull && y_ + arranged.height > bottom_ + 1e-6;
        if (!bodyEmpty_ && (s.newPageBefore || full)) {
            finishPage();
            startPage();
        }
        putSection(s, y_, arranged, row, scope);
        y_ += arranged.height;
        if (arranged.height > 0)
            bodyEmpty_ = false;
    }

    Document finish(const QString& title)
    {
        if (document_.pages.empty())
            startPage();
        finishPage();
        const QString count = QString::number(document_.pages.size());
        for (const auto& [page, item] : numbered_) {
            TextItem& text = document_.pages[page].texts[item];
            text.text.replace(QLatin1String("%p"), QString::number(page + 1)).replace(QLatin1String("%P"), count);
        }
        document_.title = title;
        return std::move(document_);
    }

    // A new page; the first one begins with the report's headers, above its page header.
    void startPage(const std::vector<const Section*>& reportHeaders = {}, const std::vector<const Row*>& scope = {})
    {
        Page page;
        page.size = report_.paper;
        page.orientation = report_.orientation;
        document_.pages.push_back(std::move(page));
        y_ = report_.topMargin;
        bodyEmpty_ = true;
        for (const Section* s : reportHeaders) {
            if (!s->visible)
                continue;
            const Arranged arranged = arrange(*s, nullptr);
            putSection(*s, y_, arranged, nullptr, scope);
            y_ += arranged.height;
            if (arranged.height > 0)
                bodyEmpty_ = false;
        }
        if (pageHeader_ && pageHeader_->visible) {
            putSection(*pageHeader_, y_, asDesigned(*pageHeader_), nullptr, {});
            y_ += pageHeader_->height;
        }
    }

private:
    void finishPage()
    {
        if (pageFooter_ && pageFooter_->visible)
            putSection(*pageFooter_, report_.paper.height() - report_.bottomMargin - pageFooter_->height,
                       asDesigned(*pageFooter_), nullptr, {});
    }

    Font fontOf(const Control& c) const
    {
        return Font{report_.font.family, c.fontSize > 0 ? c.fontSize : report_.font.pointSize, c.bold};
    }

    QString textOf(const Control& c, const Row* row, const std::vector<const Row*>& scope) const
    {
        switch (c.kind) {
        case ControlKind::TextBox:
            return convert::format(row && !c.dataField.isEmpty() ? row->value(c.dataField) : QVariant(), c.format);
        case ControlKind::Function:
            return convert::format(aggregate(c, scope), c.format);
        default:
            return c.caption;
        }
    }

    const QFontMetricsF& metricsOf(const Font& font)
    {
        const int key = int(std::lround(font.pointSize * 100)) * 2 + (font.bold ? 1 : 0);
        auto it = metrics_.find(key);
        if (it == metrics_.end())
            it = metrics_.emplace(key, QFontMetricsF(paintFont(font))).first;
        return it->second;
    }

    // The height a text of this font needs within a width, in twips.
    double neededHeight(const Font& font, double width, const QString& text)
    {
        return metricsOf(font).boundingRect(QRectF(0, 0, std::max(1.0, width), 1e9), Qt::TextWordWrap, text).height();
    }

    // The largest font, down from the control's own by the painter's step of a twip, in which the text
    // fits its box on one line; the smallest step when none does.
    Font fitted(const Font& font, const QSizeF& box, const QString& text)
    {
        if (text.isEmpty())
            return font;
        auto size = [this, &text](const Font& f) {
            return metricsOf(f).boundingRect(QRectF(0, 0, 1e9, 1e9), Qt::AlignLeft | Qt::AlignTop, text).size();
        };
        auto fits = [&box](const QSizeF& s) {
            return s.width() <= box.width() + 1e-6 && s.height() <= box.height() + 1e-6;
        };
        const QSizeF natural = size(font);
        if (fits(natural))
            return font;
        // Sizes go by whole twips of pixel size, as the painter sets them. The measures grow nearly in
        // proportion to the size: start from the proportional guess and step to the largest that fits.
        const double scale = std::min(box.width() / natural.width(), box.height() / natural.height());
        const double largest = std::max(1.0, std::round(font.pointSize * kTwipsPerPoint) - 1);
        Font f = font;
        auto fitsAt = [&](double pixels) {
            f.pointSize = pixels / kTwipsPerPoint;
            return fits(size(f));
        };
        double pixels = std::clamp(std::floor(font.pointSize * kTwipsPerPoint * std::max(0.0, scale)), 1.0, largest);
        while (pixels > 1 && !fitsAt(pixels))
            --pixels;
        while (pixels < largest && fitsAt(pixels + 1))
            ++pixels;
        f.pointSize = pixels / kTwipsPerPoint;
        return f;
    }

    // How the controls of a section stand for one row: what each moves down and grows by, in the
    // order of the section's controls, and the section's height with its growth.
    struct Arranged {
        std::vector<double> shift, growth;
        double height = 0;
    };

    static Arranged asDesigned(const Section& s)
    {
        return Arranged{std::vector<double>(s.controls.size(), 0), std::vector<double>(s.controls.size(), 0), s.height};
    }

    // The rule of the header: what a grown box grew, with what moved it, moves the controls below it.
    Arranged arrange(const Section& s, const Row* row)
    {
        Arranged a = asDesigned(s);
        const std::size_t n = s.controls.size();
        bool grew = false;
        for (std::size_t i = 0; i < n; ++i) {
            const Control& c = s.controls[i];
            if (c.visible && c.canGrow && c.kind == ControlKind::TextBox) {
                a.growth[i] = std::max(0.0, neededHeight(fontOf(c), c.width, textOf(c, row, {})) - c.height);
                grew = grew || a.growth[i] > 0;
            }
        }
        if (!grew)
            return a;
        auto bottom = [](const Control& c) { return c.top + std::max(0.0, c.height); };
        // Top down, so that whatever moves a control has been settled before it.
        std::vector<std::size_t> order;
        for (std::size_t i = 0; i < n; ++i)
            if (s.controls[i].visible)
                order.push_back(i);
        std::stable_sort(order.begin(), order.end(),
                         [&s](std::size_t x, std::size_t y) { return s.controls[x].top < s.controls[y].top; });
        double most = 0;
        for (std::size_t k = 0; k < order.size(); ++k) {
            const std::size_t i = order[k];
            for (std::size_t l = 0; l < k; ++l) {
                const std::size_t above = order[l];
                if (bottom(s.controls[above]) <= s.controls[i].top + 1e-6)
                    a.shift[i] = std::max(a.shift[i], a.shift[above] + a.growth[above]);
            }
            most = std::max(most, a.shift[i] + a.growth[i]);
        }
        a.height = s.height + most;
        return a;
    }

    void putSection(const Section& s, double top, const Arranged& arranged, const Row* row,
                    const std::vector<const Row*>& scope)
    {
        const double x = report_.leftMargin;
        Page& page = document_.pages.back();
        for (std::size_t i = 0; i < s.controls.size(); ++i) {
            const Control& c = s.controls[i];
            if (!c.visible)
                continue;
            const QRectF box(x + c.left, top + c.top + arranged.shift[i], c.width, c.height + arranged.growth[i]);
            switch (c.kind) {
            case ControlKind::Line:
                page.lines.push_back({box.topLeft(), box.topLeft() + QPointF(c.width, c.height)});
                break;
            case ControlKind::Box:
                page.boxes.push_back({box});
                break;
            case ControlKind::Picture:
                page.pictures.push_back({box, c.picture});
                break;
            default: {
                TextItem item{box, textOf(c, row, scope), fontOf(c), c.alignment, false};
                item.wraps = c.kind == ControlKind::TextBox && c.canGrow;
                if (c.kind == ControlKind::Label && item.text.contains(QLatin1Char('%'))) {
                    item.text.replace(QLatin1String("%D"), longDate_).replace(QLatin1String("%d"), shortDate_);
                    if (item.text.contains(QLatin1String("%p")) || item.text.contains(QLatin1String("%P")))
                        numbered_.emplace_back(document_.pages.size() - 1, page.texts.size());
                }
                if (c.shrinkToFit && !item.wraps)
                    item.font = fitted(item.font, box.size(), item.text);
                page.texts.push_back(std::move(item));
            }
            }
        }
    }

    const Report& report_;
    const Section* pageHeader_;
    const Section* pageFooter_;
    Document document_;
    double y_ = 0, bottom_ = 0;
    bool bodyEmpty_ = true;
    QString longDate_, shortDate_;
    std::vector<std::pair<std::size_t, std::size_t>> numbered_;
    std::map<int, QFontMetricsF> metrics_;
};

} // namespace

Control& Section::control(const QString& controlName)
{
    return const_cast<Control&>(std::as_const(*this).control(controlName));
}

const Control& Section::control(const QString& controlName) const
{
    for (const Control& c : controls)
        if (sameName(c.name, controlName))
            return c;
    throw Error(QStringLiteral("节“%1”中没有控件：%2").arg(name, controlName));
}

Section& Report::addSection(const QString& name, SectionKind kind, double height)
{
    for (const Section& s : sections_)
        if (sameName(s.name, name))
            throw Error(QStringLiteral("报表中已有节：%1").arg(name));
    sections_.push_back(Section{name, kind, height, true, false, {}});
    return sections_.back();
}

Section& Report::section(const QString& name)
{
    return const_cast<Section&>(std::as_const(*this).section(name));
}

const Section& Report::section(const QString& name) const
{
    for (const Section& s : sections_)
        if (sameName(s.name, name))
            return s;
    throw Error(QStringLiteral("报表中没有节：%1").arg(name));
}

Control& Report::control(const QString& sectionName, const QString& controlName)
{
    return section(sectionName).control(controlName);
}

Document Report::render(RowSource& source) const
{
    std::vector<const Section*> of[7];
    for (const Section& s : sections_)
        of[int(s.kind)].push_back(&s);
    auto first = [&](SectionKind kind) { return of[int(kind)].empty() ? nullptr : of[int(kind)].front(); };

    // Every row is read before anything is laid out: a field the data lacks fails the render, not a page.
    auto* parents = dynamic_cast<ParentSource*>(&source);
    std::vector<const Section*> groupSections = of[int(SectionKind::GroupHeader)];
    groupSections.insert(groupSections.end(), of[int(SectionKind::GroupFooter)].begin(),
                         of[int(SectionKind::GroupFooter)].end());
    std::vector<const Section*> all;
    for (const Section& s : sections_)
        all.push_back(&s);
    QStringList detailFields = fieldsOf(of[int(SectionKind::Detail)], false);
    for (const QString& f : fieldsOf(all, true))
        if (std::none_of(detailFields.begin(), detailFields.end(), [&](const QString& d) { return sameName(d, f); }))
            detailFields << f;
    const QStringList parentFields = fieldsOf(groupSections, false);

    std::vector<Group> groups;
    if (parents) {
        for (; !parents->atEnd(); parents->next()) {
            Group group{readRow(*parents, parentFields), {}};
            std::unique_ptr<RowSource> children = parents->children();
            for (; !children->atEnd(); children->next())
                group.details.push_back(readRow(*children, detailFields));
            groups.push_back(std::move(group));
        }
    } else {
        Group all{Row{&parentFields, {}}, {}};
        for (; !source.atEnd(); source.next())
            all.details.push_back(readRow(source, detailFields));
        groups.push_back(std::move(all));
    }
    std::vector<const Row*> everything;
    for (const Group& g : groups)
        for (const Row& r : g.details)
            everything.push_back(&r);

    Layout layout(*this, first(SectionKind::PageHeader), first(SectionKind::PageFooter));
    layout.startPage(of[int(SectionKind::ReportHeader)], everything);
    for (const Group& g : groups) {
        std::vector<const Row*> scope;
        for (const Row& r : g.details)
            scope.push_back(&r);
        if (parents)
            for (const Section* s : of[int(SectionKind::GroupHeader)])
                layout.place(*s, &g.parent, scope);
        for (const Row& r : g.details)
            for (const Section* s : of[int(SectionKind::Detail)])
                layout.place(*s, &r, {&r});
        if (parents)
            for (const Section* s : of[int(SectionKind::GroupFooter)])
                layout.place(*s, &g.parent, scope);
    }
    for (const Section* s : of[int(SectionKind::ReportFooter)])
        layout.place(*s, nullptr, everything);
    return layout.finish(title);
}

QString printFontFamily()
{
    return QStringLiteral("WenQuanYi Micro Hei");
}

QString availableFontFamily(const QString& family)
{
    return QFontDatabase::hasFamily(family) ? family : printFontFamily();
}

} // namespace report
