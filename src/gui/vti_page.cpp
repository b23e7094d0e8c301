// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/vti_page.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QTableWidget>

namespace quarnel {
namespace {

constexpr int kGridRowHeight = 19;
constexpr int kGridFrame = 2;  // each side: (rows x 19) + 4 pixels in all
constexpr int kGridLeft = 70;  // room for the caption labels left of the grids
constexpr int kGridColumns = 5;
constexpr int kComboLetters = 10;

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

QComboBox* combo(const char* name, QWidget* parent) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QLatin1String(name));
    // Wide enough for the usual entries; narrower than its longest when the page is narrow.
    c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    c->setMinimumContentsLength(kComboLetters);
    return c;
}

// A combo box that shows a record's value: it takes neither the mouse nor the focus, so no
// value can be changed where nothing would be written (the fields are read-only alike).
QComboBox* shown(const char* name, QWidget* parent) {
    QComboBox* c = combo(name, parent);
    c->setFocusPolicy(Qt::NoFocus);
    c->setAttribute(Qt::WA_TransparentForMouseEvents);
    return c;
}

QLineEdit* field(const char* name, QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setReadOnly(true);  // the page only displays: nothing typed here is written anywhere
    return e;
}

QTableWidget* grid(const char* name, QWidget* parent) {
    auto* g = new QTableWidget(parent);
    g->setObjectName(QLatin1String(name));
    g->horizontalHeader()->hide();
    g->verticalHeader()->hide();
    g->verticalHeader()->setMinimumSectionSize(kGridRowHeight);
    g->verticalHeader()->setDefaultSectionSize(kGridRowHeight);
    g->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    g->setLineWidth(kGridFrame);
    g->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    g->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->setColumnCount(kGridColumns);
    return g;
}

void mirrorCombo(QComboBox* box, const VtiCombo& model) {
    const QSignalBlocker block(box);
    bool same = box->count() == int(model.items.size());
    for (int i = 0; same && i < box->count(); ++i) same = box->itemText(i) == qs(model.items[size_t(i)]);
    if (!same) {
        box->clear();
        for (const std::string& item : model.items) box->addItem(qs(item));
    }
    box->setCurrentIndex(model.selected < box->count() ? model.selected : -1);
    box->setEnabled(model.enabled);
}

void mirrorGrid(QTableWidget* table, const VtiGrid& model) {
    table->setRowCount(int(model.rows.size()));
    for (int r = 0; r < int(model.rows.size()); ++r) {
        for (int c = 0; c < kGridColumns; ++c) {
            const auto& row = model.rows[size_t(r)];
            auto* item = new QTableWidgetItem(c < int(row.size()) ? qs(row[size_t(c)]) : QString());
            if (r == 0) {  // the header row, drawn like a fixed row
                QFont bold = table->font();
                bold.setBold(true);
                item->setFont(bold);
                item->setBackground(table->palette().color(QPalette::Button));
            }
            table->setItem(r, c, item);
        }
        table->setRowHeight(r, kGridRowHeight);
    }
    table->resizeColumnsToContents();
    for (int c = 0; c < kGridColumns; ++c) table->setColumnWidth(c, table->columnWidth(c) + 6);
    table->setFixedHeight(model.height());
}

}  // namespace

VtiPage::VtiPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("tsVTI"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    outer->addWidget(scroll);
    auto* content = new QWidget(scroll);
    scroll->setWidget(content);
    auto* columns = new QGridLayout(content);
    columns->setContentsMargins(4, 4, 4, 4);

    auto* evob = new QGroupBox(QStringLiteral("EVOB"), content);
    auto* e = new QGridLayout(evob);
    e->setVerticalSpacing(2);
    cbEVOname_ = combo("cbEVOname", evob);
    cbAttrNo_ = combo("cbAttrNo", evob);
    cbAppType_ = shown("cbAppType", evob);
    cbA0gap_ = shown("cbA0gap", evob);
    cbA1gap_ = shown("cbA1gap", evob);
    eEVOBname_ = field("eEVOBname", evob);
    eAddrOffs_ = field("eAddrOffs", evob);
    ieEVOsize_ = field("ieEVOsize", evob);
    ieEVOindex_ = field("ieEVOindex", evob);
    eStartPTM_ = field("eStartPTM", evob);
    eEndPTM_ = field("eEndPTM", evob);
    // Two label-and-field columns: the file on the left, its type and times on the right.
    const std::pair<const char*, QWidget*> evobRows[] = {
        {"EVOB", cbEVOname_},      {"Attribute no.", cbAttrNo_}, {"File name", eEVOBname_},
        {"Type", cbAppType_},      {"Address", eAddrOffs_},      {"Audio 0", cbA0gap_},
        {"Size", ieEVOsize_},      {"Audio 1", cbA1gap_},        {"Index", ieEVOindex_},
        {"Start PTM", eStartPTM_}, {nullptr, nullptr},           {"End PTM", eEndPTM_},
    };
    int row = 0;
    for (size_t i = 0; i < std::size(evobRows); ++i) {
        const auto& [label, widget] = evobRows[i];
        const int column = int(i % 2) * 2;
        if (label) {
            e->addWidget(new QLabel(QLatin1String(label), evob), row, column);
            e->addWidget(widget, row, column + 1);
        }
        if (i % 2 == 1) ++row;
    }
    e->setColumnStretch(1, 1);
    e->setColumnStretch(3, 1);

    auto* video = new QGroupBox(QStringLiteral("Video"), content);
    auto* v = new QGridLayout(video);
    v->setVerticalSpacing(2);
    v->addWidget(new QLabel(QStringLiteral("Main"), video), 0, 1);
    v->addWidget(new QLabel(QStringLiteral("Sub"), video), 0, 2);
    cbMainCompr_ = shown("cbMainCompr", video);
    cbMainRes_ = shown("cbMainRes", video);
    cbMainTV_ = shown("cbMainTV", video);
    cbMainProgInt_ = shown("cbMainProgInt", video);
    cbMainAspect_ = shown("cbMainAspect", video);
    cbSubCompr_ = shown("cbSubCompr", video);
    cbSubRes_ = shown("cbSubRes", video);
    cbSubTV_ = shown("cbSubTV", video);
    cbSubProgInt_ = shown("cbSubProgInt", video);
    cbSubAspect_ = shown("cbSubAspect", video);
    const std::tuple<const char*, QComboBox*, QComboBox*> videoRows[] = {
        {"Coding", cbMainCompr_, cbSubCompr_},
        {"Resolution", cbMainRes_, cbSubRes_},
        {"TV system", cbMainTV_, cbSubTV_},
        {"Scan", cbMainProgInt_, cbSubProgInt_},
        {"Aspect ratio", cbMainAspect_, cbSubAspect_},
    };
    row = 1;
    for (const auto& [label, mainBox, subBox] : videoRows) {
        v->addWidget(new QLabel(QLatin1String(label), video), row, 0);
        v->addWidget(mainBox, row, 1);
        v->addWidget(subBox, row++, 2);
    }

    auto* buttons = new QHBoxLayout;
    bReadVTI = new QPushButton(QStringLiteral("Read VTI"), content);
    bReadVTI->setObjectName(QStringLiteral("bReadVTI"));
    buttons->addWidget(bReadVTI);
    // Writing the file back is not offered: these stay disabled.
    for (const char* caption : {"Save VTI", "Streams -> ATTR", "ATTR -> Streams"}) {
        auto* b = new QPushButton(QLatin1String(caption), content);
        b->setEnabled(false);
        buttons->addWidget(b);
    }
    buttons->addStretch();

    gridPanel_ = new QWidget(content);
    gridPanel_->setObjectName(QStringLiteral("gridPanel"));
    sgMainAudio_ = grid("sgMainAudio", gridPanel_);
    sgSubAudio_ = grid("sgSubAudio", gridPanel_);
    sgSubpicture_ = grid("sgSubpicture", gridPanel_);
    lMainAudio_ = new QLabel(QStringLiteral("Main Audio"), gridPanel_);
    lSubAudio_ = new QLabel(QStringLiteral("Sub Audio"), gridPanel_);
    lSubpicture_ = new QLabel(QStringLiteral("Subpicture"), gridPanel_);

    columns->addWidget(evob, 0, 0);
    columns->addLayout(buttons, 1, 0);
    // One column: the page scrolls down, never sideways.
    columns->addWidget(video, 2, 0, Qt::AlignTop | Qt::AlignLeft);
    columns->addWidget(gridPanel_, 3, 0, Qt::AlignTop | Qt::AlignLeft);
    columns->setRowStretch(4, 1);

    connect(cbEVOname_, &QComboBox::activated, this, [this](int index) {
        if (onEVOnameChosen) onEVOnameChosen(index);
    });
    connect(cbAttrNo_, &QComboBox::activated, this, [this](int index) {
        if (onAttrNoChosen) onAttrNoChosen(index);
    });
    mirror(VtiView{});
}

void VtiPage::mirror(const VtiView& view) {
    mirrorCombo(cbEVOname_, view.evobNames);
    mirrorCombo(cbAttrNo_, view.attributeNumbers);
    mirrorCombo(cbAppType_, view.applicationType);
    mirrorCombo(cbA0gap_, view.audioGap0);
    mirrorCombo(cbA1gap_, view.audioGap1);
    eEVOBname_->setText(qs(view.evobName));
    eAddrOffs_->setText(qs(view.addressOffset));
    ieEVOsize_->setText(QString::number(view.evobSize));
    ieEVOindex_->setText(QString::number(view.evobIndex));
    eStartPTM_->setText(qs(view.startPtm));
    eEndPTM_->setText(qs(view.endPtm));
    mirrorCombo(cbMainCompr_, view.mainCompression);
    mirrorCombo(cbMainRes_, view.mainResolution);
    mirrorCombo(cbMainTV_, view.mainTvSystem);
    mirrorCombo(cbMainProgInt_, view.mainScan);
    mirrorCombo(cbMainAspect_, view.mainAspect);
    mirrorCombo(cbSubCompr_, view.subCompression);
    mirrorCombo(cbSubRes_, view.subResolution);
    mirrorCombo(cbSubTV_, view.subTvSystem);
    mirrorCombo(cbSubProgInt_, view.subScan);
    mirrorCombo(cbSubAspect_, view.subAspect);
    mirrorGrid(sgMainAudio_, view.mainAudioGrid);
    mirrorGrid(sgSubAudio_, view.subAudioGrid);
    mirrorGrid(sgSubpicture_, view.subpictureGrid);
    placeGrids();
}

// The grids stack with a fixed gap, each as high as its rows; each caption label sits a
// few pixels below the top of its grid.
void VtiPage::placeGrids() {
    int top = 0, right = 0;
    const std::pair<QTableWidget*, QLabel*> stack[] = {
        {sgMainAudio_, lMainAudio_}, {sgSubAudio_, lSubAudio_}, {sgSubpicture_, lSubpicture_}};
    for (const auto& [table, label] : stack) {
        const int width = table->horizontalHeader()->length() + 2 * kGridFrame;
        table->setGeometry(kGridLeft, top, width, table->height());
        label->move(0, top + kVtiGridCaptionDrop);
        top += table->height() + kVtiGridGap;
        right = std::max(right, kGridLeft + width);
    }
    gridPanel_->setFixedSize(right, top);
}

}  // namespace quarnel
