#include "app/KvtParser_Form_Dep.h"

#include "engine/KvtEngine.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TForm_Dep::TForm_Dep(QWidget* owner, const TKvtParser& parser) : QDialog(owner), parser_(parser)
{
    setWindowTitle(QStringLiteral("Dependencies"));
    auto* label = new QLabel(QStringLiteral("Show"), this);
    label->setObjectName(QStringLiteral("Label1"));
    cbListType_ = new QComboBox(this);
    cbListType_->setObjectName(QStringLiteral("cbListType"));
    for (const TDependencyListInfo& info : DependencyLists)
        cbListType_->addItem(info.Caption.toString());
    // Nothing is shown until the author picks a list.
    cbListType_->setCurrentIndex(-1);
    lbList_ = new QListWidget(this);
    lbList_->setObjectName(QStringLiteral("lbList"));
    lbList_->setUniformItemSizes(true);  // a list of every label of a long story lays out at once
    btnClose_ = new QPushButton(QStringLiteral("Close"), this);
    btnClose_->setObjectName(QStringLiteral("btnClose"));

    auto* top = new QHBoxLayout;
    top->addWidget(label);
    top->addWidget(cbListType_, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(btnClose_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addLayout(top);
    layout->addWidget(lbList_, 1);
    layout->addLayout(bottom);
    resize(233, 255);

    // "activated" also comes when the same entry is picked again, which
    // looks at the asset folders anew.
    connect(cbListType_, &QComboBox::activated, this, [this] { cbListTypeClick(); });
    connect(btnClose_, &QPushButton::clicked, this, [this] { btnCloseClick(); });
}

void TForm_Dep::cbListTypeClick()
{
    RefreshList();
}

void TForm_Dep::btnCloseClick()
{
    close();
}

void TForm_Dep::RefreshList()
{
    lbList_->clear();
    const int index = cbListType_->currentIndex();
    if (index < 0)
        return;
    if (!scan_ || scan_->Generation() != parser_.Generation())
        scan_.emplace(parser_);
    lbList_->addItems(scan_->List(DependencyLists[size_t(index)].List));
}
