#include "overlayui/KeyboardView.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QShortcut>
#include <QVBoxLayout>

#include "core/Errors.h"
#include "core/Globals.h"
#include "core/Messages.h"
#include "core/StringTable.h"
#include "overlay/CellText.h"
#include "overlay/OverlayStrings.h"
#include "ui/ControlIds.h"
#include "ui/DialogUnits.h"
#include "ui/QtText.h"

namespace orv {

namespace {

// The picture in the corner: the overlay in miniature, a device face with its
// 4 x 8 keys.
class COverlayPicture : public QWidget {
public:
    explicit COverlayPicture(QWidget* parent) : QWidget(parent) {
        setObjectName(ControlName(IDC_OVERLAY_PICTURE));
        setAccessibleName(LoadQString(IDS_EDITOR_PICTURE));
        setFixedSize(DluX(this, 66), DluY(this, 30));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QRectF face = QRectF(rect()).adjusted(1, 1, -1, -1);
        qreal radius = face.height() / 6;
        p.setPen(QPen(QColor(0x2f, 0x3e, 0x4e), 1.5));
        p.setBrush(QColor(0x46, 0x5a, 0x70));
        p.drawRoundedRect(face, radius, radius);

        QRectF keys = face.adjusted(face.width() / 14, face.height() / 6, -face.width() / 14,
                                    -face.height() / 8);
        qreal w = keys.width() / OverlayColumnCount;
        qreal h = keys.height() / OverlayRowCount;
        p.setPen(Qt::NoPen);
        for (int row = 0; row < OverlayRowCount; ++row) {
            for (int column = 0; column < OverlayColumnCount; ++column) {
                QRectF key(keys.left() + column * w, keys.top() + row * h, w, h);
                key.adjust(w * 0.12, h * 0.14, -w * 0.12, -h * 0.14);
                bool lit = (row == 1 && column == 2) || (row == 3 && column == 6);
                p.setBrush(lit ? QColor(0xf5, 0xb9, 0x42) : QColor(0xe8, 0xee, 0xf4));
                p.drawRoundedRect(key, key.height() / 5, key.height() / 5);
            }
        }
        // The speaker slot above the keys.
        p.setBrush(QColor(0x2f, 0x3e, 0x4e));
        QRectF slot(face.center().x() - face.width() / 6, face.top() + face.height() / 18,
                    face.width() / 3, face.height() / 14);
        p.drawRoundedRect(slot, slot.height() / 2, slot.height() / 2);
    }
};

QLabel* GridLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

}  // namespace

CKeyboardView::CKeyboardView(COverlayEditorDoc& doc, QWidget* parent)
    : QWidget(parent), m_doc(doc) {
    setObjectName(ControlName(kKeyboardViewId));

    // The cells first, so that Tab walks them row by row before the buttons.
    for (int k = 0; k < OverlayCellCount; ++k) {
        auto* cell = new CCellEdit(IDC_CELL_FIRST + k, this);
        // 39 x 35 units of room for the text; the field's frame and margins
        // come on top.
        int chrome =
            2 * (cell->frameWidth() + static_cast<int>(cell->document()->documentMargin()));
        cell->setFixedSize(DluX(this, 39) + chrome, DluY(this, 35) + chrome);
        cell->setAccessibleName(QString::fromStdString(CellLabel(k)));
        connect(cell, &QPlainTextEdit::textChanged, this, &CKeyboardView::OnChangeCell);
        m_cells[static_cast<size_t>(k)] = cell;
    }

    auto* top = new QHBoxLayout;
    top->setSpacing(DluX(this, 4));
    top->addWidget(new COverlayPicture(this), 0, Qt::AlignTop);
    top->addStretch(1);
    QPushButton* save =
        AddButton(ID_FILE_SAVE, LoadQString(IDS_EDITOR_SAVE), &CKeyboardView::OnSave);
    save->setDefault(true);
    for (QPushButton* b :
         {save,
          AddButton(IDC_CLOSE_FILE, LoadQString(IDS_EDITOR_CLOSE), &CKeyboardView::OnCloseFile),
          AddButton(IDC_CLEAR_ALL, LoadQString(IDS_EDITOR_CLEAR_ALL), &CKeyboardView::OnClearAll),
          AddButton(IDC_RELOAD, LoadQString(IDS_EDITOR_RELOAD), &CKeyboardView::OnReload),
          AddButton(IDC_CANCEL_EDIT, LoadQString(IDS_EDITOR_CANCEL),
                    &CKeyboardView::OnCancelEdit)}) {
        top->addWidget(b, 0, Qt::AlignVCenter);
    }

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(DluX(this, 4));
    grid->setVerticalSpacing(DluY(this, 2));
    for (int row = 0; row < OverlayRowCount; ++row) {
        grid->addWidget(GridLabel(QString::number(row + 1), this), row, 0);
        for (int column = 0; column < OverlayColumnCount; ++column) {
            grid->addWidget(Cell(row * OverlayColumnCount + column), row, column + 1);
        }
    }
    for (int column = 0; column < OverlayColumnCount; ++column) {
        grid->addWidget(GridLabel(QString(QChar(u'A' + column)), this), OverlayRowCount,
                        column + 1);
    }
    grid->setColumnMinimumWidth(0, DluX(this, 8));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(DluX(this, 4), DluY(this, 6), DluX(this, 9), DluY(this, 4));
    layout->setSpacing(DluY(this, 6));
    layout->addLayout(top);
    layout->addLayout(grid);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // Escape leaves the editor as Cancel does, but edits are never lost to a
    // key pressed by mistake: like Close, it offers to save them first.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, &CKeyboardView::OnCloseFile);
}

CKeyboardView::~CKeyboardView() {
    // The cells go after this object's own part: they must not call back into it.
    for (CCellEdit* cell : m_cells) {
        disconnect(cell, nullptr, this, nullptr);
    }
}

QPushButton* CKeyboardView::AddButton(int id, const QString& text,
                                      void (CKeyboardView::*handler)()) {
    auto* button = new QPushButton(text, this);
    button->setObjectName(ControlName(id));
    // Each button's tooltip is the text with the button's number; the cells have none.
    button->setToolTip(LoadQString(id));
    button->setMinimumSize(DluX(this, 50), DluY(this, 14));
    connect(button, &QPushButton::clicked, this, handler);
    m_buttons.insert(id, button);
    return button;
}

CCellEdit* CKeyboardView::Cell(int k) const {
    if (!ORV_CHECK(k >= 0 && k < OverlayCellCount)) {
        return m_cells[0];
    }
    return m_cells[static_cast<size_t>(k)];
}

bool CKeyboardView::UpdateData(bool saveAndValidate) {
    return DoDataExchange(saveAndValidate);
}

bool CKeyboardView::DoDataExchange(bool saveAndValidate) {
    OverlayCells& cells = m_doc.Cells();
    for (int k = 0; k < OverlayCellCount; ++k) {
        CCellEdit* cell = m_cells[static_cast<size_t>(k)];
        if (saveAndValidate) {
            CellTextResult result = EditorTextToCell(cell->CellText(), cells.Cell(k));
            if (result.status != CellTextStatus::Ok) {
                ReportCellTextProblem(result);
                // Only what does not fit is selected: typing on replaces the
                // excess, not the whole text.
                cell->SelectFrom(result.position);
                return false;
            }
        } else {
            m_bLoading = true;
            cell->SetCellText(CellToEditorText(cells.Cell(k)));
            m_bLoading = false;
        }
    }
    return true;
}

void CKeyboardView::OnChangeCell() {
    if (m_bLoading) {
        return;
    }
    UpdateData(true);
    m_doc.SetModifiedFlag(true);
}

void CKeyboardView::OnSave() {
    if (!UpdateData(true)) {
        return;
    }
    m_doc.OnSaveDocument(m_doc.PathName());
}

void CKeyboardView::OnCloseFile() {
    if (!m_doc.SaveOverlayEdits()) {
        return;
    }
    m_doc.SwitchView(kMainViewId);
}

void CKeyboardView::OnClearAll() {
    m_doc.DeleteContents();
    m_doc.SetModifiedFlag(true);
    UpdateData(false);
    ShowStatusMessage(IDM_OVERLAY_CLEARED);
}

void CKeyboardView::OnReload() {
    if (m_doc.ReadOverlay(m_doc.PathName())) {
        UpdateData(false);
    }
}

void CKeyboardView::OnCancelEdit() {
    m_doc.SwitchView(kMainViewId);
}

void CKeyboardView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!isAncestorOf(QApplication::focusWidget())) {
        Cell(0)->setFocus(Qt::OtherFocusReason);
    }
}

}  // namespace orv
