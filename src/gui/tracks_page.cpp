// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/tracks_page.h"

#include <QCompleter>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

#include "formats/ocr/ocr_languages.h"

namespace quarnel {
namespace {

// One column per value; a row leaves the columns its kind does not have empty.
enum Column {
    Stream,
    Codec,
    Language,
    Name,
    Default,
    Forced,
    Channels,
    SampleRate,
    BitRate,
    Picture,
    FrameRate,
    FirstPts,
    Delay,
    SizeRead,
    kColumns
};
constexpr const char* kHeaders[kColumns] = {"Stream",     "Codec",     "Language",      "Name",     "Default",
                                            "Forced",     "Channels",  "Sampling rate", "Bit rate", "Picture",
                                            "Frame rate", "First PTS", "Delay",         "Size read"};

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

// The language column's editor: codes as Matroska takes them, completed from the languages
// discs name (ISO 639-2 and 639-1 codes).
class LanguageDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override {
        auto* edit = new QLineEdit(parent);
        QStringList codes{QStringLiteral("und")};
        for (const OcrLanguage& l : kOcrLanguages)
            codes << QLatin1String(l.iso639_2) << QLatin1String(l.iso639_1);
        codes.sort();
        auto* completer = new QCompleter(codes, edit);
        completer->setCaseSensitivity(Qt::CaseInsensitive);
        edit->setCompleter(completer);
        edit->setValidator(new QRegularExpressionValidator(
            QRegularExpression(QStringLiteral("[a-z]{2,3}(-[A-Za-z0-9]{1,8})*")), edit));
        return edit;
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
        const QString code = static_cast<QLineEdit*>(editor)->text();
        if (validTrackLanguage(code.toStdString())) model->setData(index, code);  // else the old one stays
    }
};

// The item of a cell, made once and then changed in place: an edit being committed keeps its
// item while the table shows what it changed.
QTableWidgetItem* itemAt(QTableWidget& table, int row, int column) {
    QTableWidgetItem* item = table.item(row, column);
    if (!item) table.setItem(row, column, item = new QTableWidgetItem);
    return item;
}

void putText(QTableWidget& table, int row, int column, const QString& value, bool editable = false) {
    QTableWidgetItem* item = itemAt(table, row, column);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable |
                   (editable ? Qt::ItemIsEditable : Qt::NoItemFlags));
    if (item->text() != value) item->setText(value);
    if (editable) item->setToolTip(QStringLiteral("The MKV track's; F2 or a double click changes it"));
}

void putCheck(QTableWidget& table, int row, int column, bool on, const QString& tip) {
    QTableWidgetItem* item = itemAt(table, row, column);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    item->setToolTip(tip);
}

template <class T>
QString valueOr(const std::optional<T>& value, const QString& unit) {
    return value ? QString::number(*value) + unit : QString();
}

}  // namespace

TracksPage::TracksPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("tsTracks"));
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(4, 4, 4, 4);
    table_ = new QTableWidget(0, kColumns, this);
    table_->setObjectName(QStringLiteral("tvTracks"));
    QStringList headers;
    for (const char* h : kHeaders) headers << QLatin1String(h);
    table_->setHorizontalHeaderLabels(headers);
    table_->verticalHeader()->hide();
    table_->setSelectionBehavior(QAbstractItemView::SelectItems);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::DoubleClicked);
    table_->setItemDelegateForColumn(Language, new LanguageDelegate(table_));
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    unreadNote_ = new QLabel(
        QStringLiteral("The playlist beside the source is not read yet: Read XPL shows its track names and "
                       "languages (Make MKV reads it in any case)."),
        this);
    unreadNote_->setObjectName(QStringLiteral("lTracksPlaylistUnread"));
    unreadNote_->setWordWrap(true);
    v->addWidget(unreadNote_);
    v->addWidget(table_);
    connect(table_, &QTableWidget::cellChanged, this, &TracksPage::cellChanged);
}

void TracksPage::mirror(const std::vector<TrackRow>& rows, const TrackEdits& edits, bool idle,
                        bool playlistUnread) {
    table_->setEnabled(idle);
    unreadNote_->setVisible(playlistUnread);
    if (rows == rows_ && edits == edits_) return;
    rows_ = rows;
    edits_ = edits;
    fill();
}

void TracksPage::fill() {
    const QSignalBlocker quiet(table_);
    QTableWidget& t = *table_;
    t.setRowCount(int(rows_.size()));
    for (int r = 0; r < int(rows_.size()); ++r) {
        const TrackRow& row = rows_[size_t(r)];
        const TrackMetadata m = effectiveMetadata(row.listed, edits_, row.stream);
        const StreamFacts& f = row.facts;
        putCheck(t, r, Stream, row.ticked, QStringLiteral("Tick to demux, rebuild or put into the MKV"));
        putText(t, r, Stream, qs(row.stream + "  " + row.caption));
        t.item(r, Stream)->setFlags(t.item(r, Stream)->flags() | Qt::ItemIsUserCheckable);
        putText(t, r, Codec, qs(row.codec.empty() ? f.profile : row.codec));
        putText(t, r, Language, qs(m.language), true);
        putText(t, r, Name, qs(m.name), true);
        putCheck(t, r, Default, m.defaultTrack, QStringLiteral("The MKV's default track of its kind"));
        putCheck(t, r, Forced, m.forced, QStringLiteral("A forced track: shown when no other is chosen"));
        putText(t, r, Channels, valueOr(f.channels, {}));
        putText(t, r, SampleRate, valueOr(f.sampleRate, QStringLiteral(" Hz")));
        putText(t, r, BitRate,
                f.bitRate ? QString::number(*f.bitRate / 1000) + QStringLiteral(" kbit/s") : QString());
        putText(t, r, Picture,
                f.width && f.height ? QStringLiteral("%1x%2").arg(*f.width).arg(*f.height) : QString());
        putText(t, r, FrameRate, f.frameRate ? QString::number(*f.frameRate, 'f', 3) : QString());
        putText(t, r, FirstPts, valueOr(row.firstPts, {}));
        putText(t, r, Delay, valueOr(row.delayMs, QStringLiteral(" ms")));
        putText(t, r, SizeRead, QLocale().formattedDataSize(qint64(row.bytes)));
    }
}

void TracksPage::cellChanged(int r, int column) {
    if (r < 0 || size_t(r) >= rows_.size()) return;
    const TrackRow& row = rows_[size_t(r)];
    QTableWidgetItem* item = table_->item(r, column);
    const bool on = item->checkState() == Qt::Checked;
    if (column == Stream) {
        if (onTick) onTick(row.kind, row.slot, on);
        return;
    }
    TrackEdits edits = edits_;
    TrackEdit& edit = edits[row.stream];
    if (column == Name) edit.name = item->text().toStdString();
    if (column == Language) edit.language = item->text().toStdString();
    if (column == Forced) edit.forced = on;
    if (column == Default) {
        // One default per kind: the edit that named another one of the kind is taken back.
        for (auto& [stream, other] : edits)
            if (stream != row.stream && stream[0] == row.stream[0] && other.defaultTrack.value_or(false))
                other.defaultTrack.reset();
        edit.defaultTrack = on;
    }
    if (onEdit) onEdit(edits);
}

}  // namespace quarnel
