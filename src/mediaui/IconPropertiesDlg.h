// The icon properties dialog: walks the chosen pictures one by one, shows each
// converted to a device icon as it will be sent, and appends each confirmed
// icon with its name to the icon import file.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <optional>

#include "appcore/PictureReader.h"
#include "media/IconBitmap.h"

namespace orv {

class CIconPreview;

class CIconPropertiesDlg : public QDialog {
    Q_OBJECT
public:
    // selection: the chosen files in the order they are to be named. The
    // first is loaded at once; when that fails the user has been told why
    // and LoadFailed() is true.
    explicit CIconPropertiesDlg(const QStringList& selection, QWidget* parent = nullptr);
    ~CIconPropertiesDlg() override;

    bool LoadFailed() const { return m_bLoadFailed; }
    // Runs the dialog unless the first file failed to load: true when every
    // file has been confirmed (and the fitting and dithering choices stored).
    bool Run();

    const IconBitmap& Bitmap() const { return m_bitmap; }
    QString PathName() const { return m_strPath; }
    QLabel* NameLabel() const { return m_label; }
    QLineEdit* NameEdit() const { return m_edit; }
    // The three fittings, of which one is checked.
    QRadioButton* KeepAspectCheck() const { return m_keepAspect; }
    QRadioButton* StretchButton() const { return m_stretch; }
    QRadioButton* CropButton() const { return m_crop; }
    // Checked when the current picture is dithered.
    QCheckBox* DitherCheck() const { return m_dither; }
    CIconPreview* Preview() const { return m_preview; }
    QPushButton* OkButton() const { return m_ok; }

public slots:
    // OK: checks the name, stores the icon and moves on to the next file.
    void accept() override;

private:
    // Loads path as the current file with its label and default name. A
    // failure ends a dialog that is already open as if cancelled.
    void LoadFile(const QString& path);
    // A fitting or the dithering changed: the current file is converted again.
    void OnChoiceClicked();
    // Loads and converts the current file with the dialog's choices.
    bool ConvertCurrent();
    void ReadControls();
    void FillControls();

    IconBitmap m_bitmap;
    QStringList m_selection;
    int m_nNextFile = 0;  // the file after the current one in m_selection
    QString m_strPath;
    QString m_strName;
    QString m_strLabel;
    IconFitting m_fitting = IconFitting::KeepAspect;
    // Whether pictures of more than 256 colours are dithered: remembered.
    bool m_bDitherMany = true;
    // The user's own choice for the current picture, if any.
    std::optional<bool> m_ditherChoice;
    bool m_bDither = false;       // the current picture is dithered
    bool m_bManyColours = false;  // it has more than 256 colours
    bool m_bLoadFailed = false;

    QLabel* m_label;
    QLineEdit* m_edit;
    QRadioButton* m_keepAspect;
    QRadioButton* m_stretch;
    QRadioButton* m_crop;
    QCheckBox* m_dither;
    CIconPreview* m_preview;
    QPushButton* m_ok;
};

}  // namespace orv
