#pragma once
// One landscape-wide page of the fee list's size: what the print run tests hand to the printer.
#include "platform/report/report.h"
#include "platform/report/report_data.h"

inline report::Document onePageSheet()
{
    report::Report r;
    r.title = QStringLiteral("排污数据");
    r.paper = QSizeF(16838, 11906);
    report::Control title;
    title.name = "Label1";
    title.caption = "开票单位排污数据及收费情况";
    title.width = 4000;
    title.height = 300;
    r.addSection("Detail", report::SectionKind::Detail, 300).controls = {title};
    report::TableRows one({}, {{}});
    return r.render(one);
}
