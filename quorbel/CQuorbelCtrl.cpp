#include "quorbel/CQuorbelCtrl.h"

#include "quorbel/CQuorbelAboutDlg.h"
#include "quorbel/ansi.h"
#include "quorbel/identities.h"
#include "quorbel/set_paper.h"

namespace quorbel {

using namespace component;

CQuorbelCtrl::CQuorbelCtrl(Module& module, std::shared_ptr<Spooler> spooler)
    : Object(module),
      m_spooler(std::move(spooler))
{
    m_orientation = 1;
    m_paperLength = 270;
    m_paperWidth = 210;
    m_printerName = QString();
    m_paperSize = 8;
    m_dmPaperSize = 8;
    m_formName = "User Defined";
    m_userFormName = fromAnsi(m_formName);
}

void CQuorbelCtrl::SetOrientation(std::int16_t value)
{
    m_orientation = value;
    SetModifiedFlag();
}

void CQuorbelCtrl::SetPaperLength(std::int16_t value)
{
    m_paperLength = value;
    SetModifiedFlag();
}

void CQuorbelCtrl::SetPaperWidth(std::int16_t value)
{
    m_paperWidth = value;
    SetModifiedFlag();
}

void CQuorbelCtrl::SetUserFormName(const QString& value)
{
    m_userFormName = value;
    const QByteArray ansi = toAnsi(value);
    m_formNameRefused = ansi.size() > kFormNameBytes;
    if (!m_formNameRefused)
        m_formName = ansi;
    SetModifiedFlag();
}

void CQuorbelCtrl::SetPrinterName(const QString& value)
{
    m_printerName = value;
    SetModifiedFlag();
}

std::int16_t CQuorbelCtrl::GetPaperSize()
{
    m_dmPaperSize = m_paperSize;
    return m_paperSize;
}

void CQuorbelCtrl::SetPaperSize(std::int16_t value)
{
    m_paperSize = value;
    m_dmPaperSize = value;
    SetModifiedFlag();
}

bool CQuorbelCtrl::SetPaper()
{
    PaperRequest request;
    request.printerName = m_printerName;
    request.orientation = m_orientation;
    request.paperSize = m_dmPaperSize;
    request.paperLength = m_paperLength;
    request.paperWidth = m_paperWidth;
    request.formName = fromAnsi(m_formName);
    request.formNameRefused = m_formNameRefused;
    return applyPaperRequest(request, *m_spooler);
}

void CQuorbelCtrl::AboutBox()
{
    CQuorbelAboutDlg dlg;
    dlg.exec();
}

HResult CQuorbelCtrl::invoke(DispId member, Invoke kind, const QVariantList& args, QVariant* result)
{
    const qsizetype expected = kind == Invoke::PropertyPut ? 1 : 0;
    // A property of type T: read as it is, written after its argument is coerced to T.
    auto property = [&](auto get, auto set, auto coerceTo) -> HResult {
        if (kind == Invoke::Method)
            return DISP_E_MEMBERNOTFOUND;
        if (args.size() != expected)
            return DISP_E_BADPARAMCOUNT;
        if (kind == Invoke::PropertyGet) {
            if (result)
                *result = QVariant::fromValue(get());
            return S_OK;
        }
        decltype(get()) value{};
        if (const HResult hr = coerceTo(args.at(0), &value); failed(hr))
            return hr;
        set(value);
        return S_OK;
    };
    auto shortProperty = [&](auto get, auto set) {
        return property([&] { return std::int16_t(get()); }, set,
                        [](const QVariant& v, std::int16_t* out) { return coerce::toShort(v, out); });
    };
    auto textProperty = [&](auto get, auto set) {
        return property([&] { return QString(get()); }, set,
                        [](const QVariant& v, QString* out) { return coerce::toText(v, out); });
    };
    auto method = [&](auto run) -> HResult {
        if (kind != Invoke::Method)
            return DISP_E_MEMBERNOTFOUND;
        if (!args.isEmpty())
            return DISP_E_BADPARAMCOUNT;
        run();
        return S_OK;
    };

    switch (member) {
    case dispid::Orientation:
        return shortProperty([&] { return GetOrientation(); }, [&](std::int16_t v) { SetOrientation(v); });
    case dispid::PaperLength:
        return shortProperty([&] { return GetPaperLength(); }, [&](std::int16_t v) { SetPaperLength(v); });
    case dispid::PaperWidth:
        return shortProperty([&] { return GetPaperWidth(); }, [&](std::int16_t v) { SetPaperWidth(v); });
    case dispid::PaperSize:
        return shortProperty([&] { return GetPaperSize(); }, [&](std::int16_t v) { SetPaperSize(v); });
    case dispid::UserFormName:
        return textProperty([&] { return GetUserFormName(); }, [&](const QString& v) { SetUserFormName(v); });
    case dispid::PrinterName:
        return textProperty([&] { return GetPrinterName(); }, [&](const QString& v) { SetPrinterName(v); });
    case dispid::SetPaper:
        return method([&] {
            const bool done = SetPaper();
            if (result)
                *result = done;
        });
    case dispid::AboutBox:
        return method([&] { AboutBox(); });
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

} // namespace quorbel
