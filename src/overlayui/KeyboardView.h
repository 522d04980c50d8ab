// The keyboard overlay editor: the document's 32 cells as a grid of 4 rows
// (1-4) by 8 columns (A-H) of edit fields, with Save, Close, Clear All, Reload
// and Cancel.
#pragma once

#include <QMap>
#include <QPushButton>
#include <QWidget>
#include <array>

#include "overlay/OverlayCells.h"
#include "overlayui/CellEdit.h"
#include "overlayui/OverlayEditorDoc.h"
#include "ui/CommandIds.h"
#include "ui/ControlIds.h"

namespace orv {

class CKeyboardView : public QWidget {
    Q_OBJECT
public:
    explicit CKeyboardView(COverlayEditorDoc& doc, QWidget* parent = nullptr);
    ~CKeyboardView() override;

    // Copies the cells into the document (true) or the document into the
    // cells (false). Copying into the document stops at the first cell whose
    // text does not fit, after telling the user and selecting what is too
    // much; it then returns false.
    bool UpdateData(bool saveAndValidate = true);

    CCellEdit* Cell(int k) const;
    QPushButton* Button(int id) const { return m_buttons.value(id, nullptr); }

    void OnSave();
    void OnCloseFile();
    void OnClearAll();
    void OnReload();
    void OnCancelEdit();

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool DoDataExchange(bool saveAndValidate);
    void OnChangeCell();
    QPushButton* AddButton(int id, const QString& text, void (CKeyboardView::*handler)());

    COverlayEditorDoc& m_doc;
    std::array<CCellEdit*, OverlayCellCount> m_cells{};
    QMap<int, QPushButton*> m_buttons;
    bool m_bLoading = false;  // the cells are being filled from the document
};

}  // namespace orv
