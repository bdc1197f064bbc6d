#pragma once
// The base of most dialogs: a content area above and, along the bottom, a
// panel with OK, Cancel and Help, placed right-aligned in an 80-pixel raster
// by ArrangeButtons. Derived dialogs put their controls into ClientArea()
// and switch the panel to close-only or without Help. The dialog has a fixed
// size (setFixedSize changes it; resize does not).

#include "platform/gui/message_box.h"

#include <QDialog>

class QPushButton;

namespace vdx {

class TVdButtonDlg : public QDialog {
    Q_OBJECT
public:
    explicit TVdButtonDlg(QWidget* owner = nullptr);

    // Owned by the dialog through Qt's parent tree.
    QWidget* const PnlButton;
    QPushButton* const BtnOK;
    QPushButton* const BtnCancel;
    QPushButton* const BtnHelp; // no modal result: derived dialogs handle its click

    // The area above PnlButton, for the derived dialog's controls.
    QWidget* ClientArea() const noexcept { return m_clientArea; }

    // BtnOK closes (with the Close caption) and BtnCancel is hidden.
    bool CloseOnly() const noexcept { return m_closeOnly; }
    void SetCloseOnly(bool value);
    bool ShowHelp() const noexcept { return m_showHelp; }
    void SetShowHelp(bool value);
    // Captions, visibility and left edges of the buttons for the current
    // flags and the panel's present width.
    void ArrangeButtons();

    // Runs the show step, then shows the dialog modally, its modal result
    // starting at mrNone, and returns the result it closed with (OK and
    // Cancel set it and close; a control that sets it closes the dialog
    // once its event is done). A show step that throws keeps the dialog from opening;
    // the exception reaches the caller.
    gui::TModalResult ShowModal();

protected:
    // Flags to their defaults; the buttons keep their design places.
    void FormCreate();
    // A form whose button panel is taller than the base's 40 pixels.
    void SetPanelHeight(int value);
    // Cancel and Help captions from the caption table. Derived dialogs call
    // this first; it runs whenever the dialog is shown (not on a restore).
    virtual void FormShow();

    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // The close box and Escape end the dialog with mrCancel.
    void reject() override;

private:
    // PnlButton along the bottom, ClientArea above it; the buttons keep their
    // distance from the panel's right edge.
    void AlignPanels();

    QWidget* const m_clientArea;
    bool m_closeOnly = false;
    bool m_showHelp = true;
    int m_panelHeight = 40;
    int m_panelWidth = 0;        // the width the buttons were last placed for
    bool m_showStepDone = false; // ShowModal ran the show step for this showing
};

} // namespace vdx
