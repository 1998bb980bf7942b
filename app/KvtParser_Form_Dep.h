#pragma once

#include "interpreter/DependencyScan.h"

#include <QDialog>

#include <optional>

class QComboBox;
class QListWidget;
class QPushButton;
class TKvtParser;

// The author's view of what the loaded script needs: labels defined, jumped
// to, missing or defined twice, and the backgrounds, music, sounds and fonts
// it names with those whose files are missing. Nothing is run.
class TForm_Dep final : public QDialog {
public:
    TForm_Dep(QWidget* owner, const TKvtParser& parser);

private:
    void cbListTypeClick();
    void btnCloseClick();
    void RefreshList();

    const TKvtParser& parser_;
    // Read once per loaded script: the story goes on behind the dialog and
    // may load another one.
    std::optional<TDependencyScan> scan_;
    QComboBox* cbListType_ = nullptr;
    QListWidget* lbList_ = nullptr;
    QPushButton* btnClose_ = nullptr;
};
