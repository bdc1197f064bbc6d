#pragma once
// Remembers a form's position, size and maximized state between runs, in a
// TFcRegIniFile section named after the form ("FMainFormState" for FMain).
//
// A form (a top-level QWidget) that carries one calls Loaded() at the end of
// building itself; from then on the component restores the placement each
// time the program shows the form and saves it whenever the form is asked to
// close, and passes each event on to the form. A component that Loaded() was
// never called for acts only through explicit RestoreState and SaveState
// calls.

#include "controls/storage/FcRegIniFile.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <string>

class QWidget;

namespace vdx {

class TFcFormState : public QObject {
    Q_OBJECT
public:
    // The owner is normally the form; any other owner makes the component do
    // nothing but name its section "FormState".
    explicit TFcFormState(QObject* owner = nullptr);
    ~TFcFormState() override;

    bool Enabled() const noexcept { return m_enabled; }
    void SetEnabled(bool value) noexcept { m_enabled = value; }
    const std::string& Section() const noexcept { return m_section; }
    void SetSection(const std::string& value) { m_section = value; }
    // Held weakly: a storage that is destroyed reads back as nullptr.
    TFcRegIniFile* RegIniFile() const noexcept { return m_regIniFile.data(); }
    virtual void SetRegIniFile(TFcRegIniFile* value);

    // Fired after the placement was written (also after a write failed) and
    // after it was applied.
    std::function<void(QObject* sender)> OnSaveState;
    std::function<void(QObject* sender)> OnRestoreState;

    // Ends the form's building: takes over its show and close events and does
    // the create step (the error box when no storage is set).
    virtual void Loaded();
    virtual void HookFormEvents();
    virtual void UnhookFormEvents();

    // Reads Left, Top, Right and Bottom (the size only for a sizeable form)
    // and Maximized, and applies them; a saved top-left corner outside every
    // monitor moves the window to (0, 0) with its size. Storage read failures
    // propagate.
    virtual void RestoreState();
    // Writes Maximized, Left, Top, Right and Bottom (sizeable forms only) of
    // the normal (not maximized) placement, then Saved. A storage write
    // failure is shown in an error box and skips the remaining writes.
    virtual void SaveState();

    // Section when set, else the form's name (its class name when unnamed)
    // followed by "FormState"; "FormState" when the owner is no form.
    std::string GetSectionName() const;

    // A form whose size the user can change (not fixed in size).
    static bool IsSizeableForm(const QWidget& form);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* Form() const;
    void FormCreate();

    bool m_enabled = true;
    std::string m_section;
    QPointer<TFcRegIniFile> m_regIniFile;
    QPointer<QWidget> m_hookedForm;
};

} // namespace vdx
