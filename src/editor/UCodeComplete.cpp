#include "UCodeComplete.h"

#include "UGutterImages.h"
#include "UQtText.h"
#include "USHControl.h"
#include "USyntaxcheck.h"

#include <QApplication>
#include <QGridLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QPainter>
#include <QSizeGrip>
#include <QStyledItemDelegate>

namespace {

// A letter drawn in strokes, so that it looks the same whatever fonts the
// machine has.
QImage LetterIcon(int scale, QColor colour, std::initializer_list<QLine> strokes) {
    QImage image(16 * scale, 16 * scale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setPen(QPen(colour, 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    for (const QLine& stroke : strokes) painter.drawLine(stroke);
    return image;
}

QFont ListFont(bool bold) {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(8);
    font.setBold(bold);
    return font;
}

// Draws one proposal: its icon, the name in bold (an attribute's followed by
// ": "), then the description in regular type.
class TVorschlagDelegate : public QStyledItemDelegate {
public:
    TVorschlagDelegate(const TVorschlaege& model, QObject* parent)
        : QStyledItemDelegate(parent), Model(model), Bold(ListFont(true)), Regular(ListFont(false)) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QRect r = option.rect;
        const bool selected = option.state & QStyle::State_Selected;
        painter->save();
        painter->fillRect(r, selected ? option.palette.highlight() : option.palette.base());
        const auto& shown = Model.Shown();
        if (index.row() < 0 || index.row() >= static_cast<int>(shown.size())) {
            painter->restore();
            return;
        }
        const TVorschlag& proposal = *shown[static_cast<std::size_t>(index.row())];
        const QImage icon =
            TFCodeComplete::Icon(proposal.Art, GutterImages::ScaleFor(painter->device()->devicePixelRatioF()));
        if (!icon.isNull()) painter->drawImage(r.left() + 2, r.top(), icon);

        painter->setPen(selected ? option.palette.highlightedText().color() : option.palette.text().color());
        const QString name = ToQString(proposal.Art == vaAttribut ? proposal.Name + ": " : proposal.Name);
        int x = r.left() + 26;
        painter->setFont(Bold);
        painter->drawText(QRect(x, r.top(), r.right() - x, r.height()), Qt::AlignLeft | Qt::AlignVCenter, name);
        x += QFontMetrics(Bold).horizontalAdvance(name);
        painter->setFont(Regular);
        painter->drawText(QRect(x, r.top(), std::max(r.right() - x, 0), r.height()), Qt::AlignLeft | Qt::AlignVCenter,
                          ToQString(proposal.Description));
        painter->restore();
    }

    // As wide as what paint draws, so that the list scrolls sideways only
    // when a description does not fit, and then far enough to show all of it.
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const override {
        const auto& shown = Model.Shown();
        if (index.row() < 0 || index.row() >= static_cast<int>(shown.size()))
            return QSize(0, TFCodeComplete::kItemHeight);
        return QSize(TFCodeComplete::ItemWidth(*shown[static_cast<std::size_t>(index.row())]),
                     TFCodeComplete::kItemHeight);
    }

private:
    const TVorschlaege& Model;
    QFont Bold;
    QFont Regular;
};

} // namespace

int TFCodeComplete::ItemWidth(const TVorschlag& proposal) {
    const QString name = ToQString(proposal.Art == vaAttribut ? proposal.Name + ": " : proposal.Name);
    return 26 + QFontMetrics(ListFont(true)).horizontalAdvance(name) +
           QFontMetrics(ListFont(false)).horizontalAdvance(ToQString(proposal.Description)) + 4;
}

QImage TFCodeComplete::Icon(TVorschlagsArt art, int scale) {
    switch (art) {
    case vaAttribut: return LetterIcon(scale, QColor(0, 128, 0), {{3, 14, 8, 2}, {8, 2, 13, 14}, {5, 10, 11, 10}});
    case vaMethode:
        return LetterIcon(scale, QColor(128, 0, 0), {{2, 14, 2, 2}, {2, 2, 8, 9}, {8, 9, 14, 2}, {14, 2, 14, 14}});
    case vaKlassenname: return LetterIcon(scale, QColor(0, 0, 255), {{3, 2, 3, 14}, {13, 2, 4, 9}, {6, 8, 13, 14}});
    default: return {};
    }
}

TFCodeComplete::TFCodeComplete(QWidget* parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    // The editor keeps the keyboard and stays the active window while the
    // list is shown, so that typing goes on: a tool tip window is the one
    // kind that no platform activates when it appears or is clicked.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setFont(ListFont(false));

    FListBox = new QListWidget(this);
    FListBox->setFocusPolicy(Qt::NoFocus);
    FListBox->setSelectionMode(QAbstractItemView::SingleSelection);
    FListBox->setItemDelegate(new TVorschlagDelegate(FModel, FListBox));
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(FListBox, 0, 0);
    // Borderless, but it can still be made larger from its corner.
    layout->addWidget(new QSizeGrip(this), 0, 0, Qt::AlignBottom | Qt::AlignRight);
    resize(kWidth, kHeight);

    connect(FListBox, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!FSyncing) FModel.Select(row);
    });
    connect(FListBox, &QListWidget::itemClicked, this, [this] { ListBoxClick(); });
}

TFCodeComplete::~TFCodeComplete() {
    if (FEditor) FEditor->SetCompletionPopup(nullptr);
}

void TFCodeComplete::Attach(TSHControl* editor) {
    editor->SetCompletionPopup(this);
    SetSources(&editor->Syntaxcheck(), editor);
}

void TFCodeComplete::SetSources(const TSyntaxcheck* check, TSHControl* editor) {
    FModel.SetSources(check);
    FEditor = editor;
}

int TFCodeComplete::Lookup(const std::string& line, int caretColumn) {
    const int start = FModel.Lookup(line, caretColumn);
    if (start >= 0) ShowModel();
    return start;
}

bool TFCodeComplete::HasItems() const { return FListBox->count() > 0; }

void TFCodeComplete::ShowAt(const QPoint& globalTopLeft) {
    move(globalTopLeft);
    show();
    raise();
}

void TFCodeComplete::HidePopup() { hide(); }

bool TFCodeComplete::FillList() {
    const bool any = FModel.FillList();
    ShowModel();
    return any;
}

void TFCodeComplete::SelectNext() {
    FModel.SelectNext();
    ShowModel();
}

void TFCodeComplete::SelectPrevious() {
    FModel.SelectPrevious();
    ShowModel();
}

// The list box mirrors the model's shown proposals and selection.
void TFCodeComplete::ShowModel() {
    FSyncing = true;
    const auto& shown = FModel.Shown();
    bool same = FListBox->count() == static_cast<int>(shown.size());
    for (int i = 0; same && i < FListBox->count(); ++i)
        same = FListBox->item(i)->text() == ToQString(shown[static_cast<std::size_t>(i)]->Name);
    // Other proposals have other widths: the list is laid out anew.
    if (!same) {
        FListBox->clear();
        for (const TVorschlag* proposal : shown) new QListWidgetItem(ToQString(proposal->Name), FListBox);
    }
    FListBox->setCurrentRow(FModel.Selected());
    if (FListBox->currentItem()) FListBox->scrollToItem(FListBox->currentItem());
    FListBox->viewport()->update();
    FSyncing = false;
}

// A click accepts the proposal as Enter in the editor does, unless the
// selection moved because of a key that came through the popup.
void TFCodeComplete::ListBoxClick() {
    if (!FPopupKey && FEditor && FModel.Selected() >= 0) {
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        QApplication::sendEvent(FEditor, &enter);
        FEditor->setFocus(Qt::OtherFocusReason);
    }
    FPopupKey = false;
}

void TFCodeComplete::keyPressEvent(QKeyEvent* event) {
    if (FEditor) QApplication::sendEvent(FEditor, event);
    FPopupKey = true;
}

void TFCodeComplete::keyReleaseEvent(QKeyEvent* event) {
    if (FEditor) QApplication::sendEvent(FEditor, event);
    FPopupKey = false;
}
