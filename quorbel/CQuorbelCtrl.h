// The paper-setting control: one paper request held in its properties, applied to a printer's default
// settings by SetPaper. Hosts reach it late-bound through its dispatch interface _DQuorbel.
#pragma once

#include "quorbel/spooler.h"

#include "platform/component/dispatch.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>

namespace quorbel {

class CQuorbelCtrl : public component::Object<component::IDispatch> {
public:
    // The spooler that SetPaper works on; the class factory gives the CUPS one.
    CQuorbelCtrl(component::Module& module, std::shared_ptr<Spooler> spooler);

    component::HResult invoke(component::DispId member, component::Invoke kind, const QVariantList& args,
                              QVariant* result) override;

    // _DQuorbel
    std::int16_t GetOrientation() const { return m_orientation; }
    void SetOrientation(std::int16_t value);
    std::int16_t GetPaperLength() const { return m_paperLength; }
    void SetPaperLength(std::int16_t value);
    std::int16_t GetPaperWidth() const { return m_paperWidth; }
    void SetPaperWidth(std::int16_t value);
    QString GetUserFormName() const { return m_userFormName; }
    void SetUserFormName(const QString& value);
    QString GetPrinterName() const { return m_printerName; }
    void SetPrinterName(const QString& value);
    std::int16_t GetPaperSize();
    void SetPaperSize(std::int16_t value);
    bool SetPaper();
    void AboutBox();

    // The form name that SetPaper uses, in ANSI bytes: the last one asked for that was short enough.
    const QByteArray& formName() const { return m_formName; }
    bool isModified() const { return m_modified; }

private:
    ~CQuorbelCtrl() override = default;
    void SetModifiedFlag() { m_modified = true; }

    std::int16_t m_orientation;
    std::int16_t m_paperLength;
    std::int16_t m_paperWidth;
    QString m_userFormName;
    QByteArray m_formName; // at most kFormNameBytes
    std::int16_t m_paperSize;
    QString m_printerName;
    std::int32_t m_dmPaperSize;

    bool m_formNameRefused = false;
    bool m_modified = false;
    std::shared_ptr<Spooler> m_spooler;
};

// A form name is kept in 32 bytes with its terminator.
inline constexpr int kFormNameBytes = 31;

} // namespace quorbel
