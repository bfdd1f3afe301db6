#include "support/fitcheck.h"

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusFrame>
#include <QFontMetrics>
#include <QtMath>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMainWindow>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRubberBand>
#include <QScrollArea>
#include <QScrollBar>
#include <QSizeGrip>
#include <QSplitter>
#include <QStyle>
#include <QStyleOption>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTextDocument>
#include <QToolButton>

namespace fitcheck {
namespace {

// Text measures rounded up: the text is laid out at fractional pixel widths, and a
// width rounded to the nearest pixel may be one short of what the painting needs.
class Metrics {
public:
    explicit Metrics(const QFont& font) : fm_(font) {}
    int horizontalAdvance(const QString& text) const { return qCeil(fm_.horizontalAdvance(text)); }
    int horizontalAdvance(QChar c) const { return qCeil(fm_.horizontalAdvance(c)); }
    QSize size(int flags, const QString& text) const { return Ceil(fm_.size(flags, text)); }
    QRect boundingRect(QRect r, int flags, const QString& text) const {
        const QRectF b = fm_.boundingRect(QRectF(r), flags, text);
        return QRect(b.topLeft().toPoint(), Ceil(b.size()));
    }
    int height() const { return qCeil(fm_.height()); }

private:
    static QSize Ceil(QSizeF s) { return QSize(qCeil(s.width()), qCeil(s.height())); }
    QFontMetricsF fm_;
};

struct Checker {
    QString form;
    QStringList findings;

    static QString Name(const QWidget* w) {
        if (!w->objectName().isEmpty()) return w->objectName();
        const QString cls = QString::fromLatin1(w->metaObject()->className());
        // An unnamed control is known by its place: the named widget it lies in.
        for (const QWidget* p = w->parentWidget(); p && !p->isWindow(); p = p->parentWidget())
            if (!p->objectName().isEmpty()) return p->objectName() + QLatin1Char('/') + cls;
        return cls;
    }

    static QString Size(QSize s) { return QStringLiteral("%1x%2").arg(s.width()).arg(s.height()); }

    void Text(const QWidget* w, const QString& what, const QString& text, QSize need, QSize has) {
        if (need.width() <= has.width() && need.height() <= has.height()) return;
        findings << QStringLiteral("%1 %2%3: \"%4\" needs %5 px, has %6")
                        .arg(form, Name(w), what, QString(text).replace(QLatin1Char('\n'), QLatin1Char('|')),
                             Size(need), Size(has));
    }

    // Widgets of the toolkit's own making inside another widget (viewports, scroll bars,
    // the edit of a spin box): the form does not place them.
    static bool Internal(const QWidget* w) {
        return w->isWindow() || w->objectName().startsWith(QLatin1String("qt_")) ||
               qobject_cast<const QScrollBar*>(w) || qobject_cast<const QSizeGrip*>(w) ||
               qobject_cast<const QRubberBand*>(w) || qobject_cast<const QFocusFrame*>(w) ||
               qobject_cast<const QSplitterHandle*>(w) || qobject_cast<const QMenuBar*>(w);
    }

    // Controls whose children the toolkit places (not descended into).
    static bool Leaf(const QWidget* w) {
        return qobject_cast<const QLabel*>(w) || qobject_cast<const QAbstractButton*>(w) ||
               qobject_cast<const QComboBox*>(w) || qobject_cast<const QAbstractSpinBox*>(w) ||
               qobject_cast<const QLineEdit*>(w) || qobject_cast<const QProgressBar*>(w) ||
               qobject_cast<const QTabBar*>(w) || qobject_cast<const QAbstractScrollArea*>(w) ||
               qobject_cast<const QTabWidget*>(w);
    }

    void Label(const QLabel* l) {
        if (l->text().isEmpty() || !l->pixmap().isNull()) return;
        const Metrics fm(l->font());
        QRect cr = l->contentsRect().adjusted(l->margin(), l->margin(), -l->margin(), -l->margin());
        int indent = l->indent();
        // As the label computes it: half an 'x' on a framed label.
        if (indent < 0) indent = l->frameWidth() > 0 ? QFontMetrics(l->font()).horizontalAdvance(QLatin1Char('x')) / 2 : 0;
        const Qt::Alignment a = l->alignment();
        if (a & (Qt::AlignLeft | Qt::AlignRight)) cr.setWidth(cr.width() - indent);
        if (a & (Qt::AlignTop | Qt::AlignBottom)) cr.setHeight(cr.height() - indent);
        const bool rich = l->textFormat() == Qt::RichText ||
                          (l->textFormat() == Qt::AutoText && Qt::mightBeRichText(l->text()));
        QSize need;
        if (rich) {
            QTextDocument doc;
            doc.setDefaultFont(l->font());
            doc.setDocumentMargin(0);
            doc.setHtml(l->text());
            if (l->wordWrap()) doc.setTextWidth(cr.width());
            need = QSize(qCeil(doc.idealWidth()), qCeil(doc.size().height()));
        } else if (l->wordWrap()) {
            need = fm.boundingRect(QRect(0, 0, cr.width(), 100000), int(Qt::TextWordWrap | a), l->text()).size();
        } else {
            need = fm.size(0, l->text());
        }
        Text(l, QString(), l->text(), need, cr.size());
    }

    void Button(QAbstractButton* b) {
        if (b->text().isEmpty()) return;
        const Metrics fm(b->font());
        QSize text = fm.size(Qt::TextShowMnemonic, b->text());
        if (!b->icon().isNull()) text.rwidth() += b->iconSize().width() + 4;
        QStyleOptionButton opt;
        opt.initFrom(b);
        opt.text = b->text();
        opt.icon = b->icon();
        opt.iconSize = b->iconSize();
        QRect room;
        if (auto* p = qobject_cast<QPushButton*>(b)) {
            if (p->autoDefault() || p->isDefault()) opt.features |= QStyleOptionButton::AutoDefaultButton;
            room = b->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, b);
            room.adjust(2, 0, -2, 0);  // the text keeps clear of the button's edge
        } else if (qobject_cast<QCheckBox*>(b)) {
            room = b->style()->subElementRect(QStyle::SE_CheckBoxContents, &opt, b);
        } else if (qobject_cast<QRadioButton*>(b)) {
            room = b->style()->subElementRect(QStyle::SE_RadioButtonContents, &opt, b);
        } else if (auto* t = qobject_cast<QToolButton*>(b)) {
            if (t->toolButtonStyle() == Qt::ToolButtonIconOnly && !t->icon().isNull()) return;
            if (t->arrowType() != Qt::NoArrow) return;
            room = b->rect().adjusted(3, 3, -3, -3);
        } else {
            room = b->rect();
        }
        Text(b, QString(), b->text(), text, room.size());
    }

    void GroupTitle(QGroupBox* g) {
        if (g->title().isEmpty()) return;
        QStyleOptionGroupBox opt;
        opt.initFrom(g);
        opt.text = g->title();
        opt.lineWidth = 1;
        opt.midLineWidth = 0;
        opt.textAlignment = g->alignment();
        opt.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        if (g->isCheckable()) opt.subControls |= QStyle::SC_GroupBoxCheckBox;
        if (g->isFlat()) opt.features |= QStyleOptionFrame::Flat;
        const QRect label = g->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, g);
        const QSize need = Metrics(g->font()).size(Qt::TextShowMnemonic, g->title());
        // The title must start and end inside the box, clear of its right border.
        const int room = g->width() - 4 - label.left();
        Text(g, QStringLiteral(" title"), g->title(), need, QSize(room, qMax(label.height(), need.height())));
    }

    void Combo(QComboBox* c) {
        QStyleOptionComboBox opt;
        opt.initFrom(c);
        opt.editable = c->isEditable();
        opt.frame = c->hasFrame();
        const QRect field = c->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, c);
        const Metrics fm(c->font());
        int worst = -1, widest = 0;
        for (int i = 0; i < c->count(); ++i) {
            const int w = fm.horizontalAdvance(c->itemText(i)) + (c->itemIcon(i).isNull() ? 0 : c->iconSize().width() + 4);
            if (w > widest) widest = w, worst = i;
        }
        if (worst >= 0)
            Text(c, QStringLiteral(" item"), c->itemText(worst), QSize(widest + 4, fm.height()),
                 QSize(field.width(), field.height()));
    }

    // What the program writes into a field: a date, a number chosen with the arrows, a
    // read-only value. (What the user types may scroll, as in any edit.)
    void Field(QWidget* w, const QString& text, QRect room) {
        if (text.isEmpty()) return;
        const Metrics fm(w->font());
        Text(w, QString(), text, QSize(fm.horizontalAdvance(text) + 4, fm.height()), room.size());
    }

    void Spin(QAbstractSpinBox* s) {
        QStyleOptionSpinBox opt;
        opt.initFrom(s);
        opt.frame = s->hasFrame();
        opt.buttonSymbols = s->buttonSymbols();
        opt.subControls = QStyle::SC_SpinBoxFrame | QStyle::SC_SpinBoxEditField;
        if (s->buttonSymbols() != QAbstractSpinBox::NoButtons)
            opt.subControls |= QStyle::SC_SpinBoxUp | QStyle::SC_SpinBoxDown;
        Field(s, s->text(), s->style()->subControlRect(QStyle::CC_SpinBox, &opt, QStyle::SC_SpinBoxEditField, s));
    }

    void Edit(QLineEdit* e) {
        if (!e->isReadOnly()) return;
        const QMargins m = e->textMargins();
        QRect room = e->contentsRect().adjusted(m.left(), m.top(), -m.right(), -m.bottom());
        if (e->hasFrame()) room.adjust(2, 1, -2, -1);  // the frame and the edit's own margin
        Field(e, e->displayText(), room);
    }

    void List(QListView* v) {
        QAbstractItemModel* m = v->model();
        if (!m) return;
        const int room = v->viewport()->width() - 6;
        for (int r = 0; r < m->rowCount() && r < 500; ++r) {
            const QModelIndex i = m->index(r, v->modelColumn());
            const QString t = i.data(Qt::DisplayRole).toString();
            const QVariant f = i.data(Qt::FontRole);
            const Metrics fm(f.isValid() ? f.value<QFont>() : v->font());
            const QSize need = fm.size(0, t);
            if (need.width() > room) {
                Text(v, QStringLiteral(" row %1").arg(r), t, need, QSize(room, need.height()));
                return;
            }
        }
    }

    void Table(QTableView* v) {
        QAbstractItemModel* m = v->model();
        if (!m) return;
        QHeaderView* h = v->horizontalHeader();
        const int margin = v->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, h);
        if (h->isVisible()) {
            for (int s = 0; s < m->columnCount(); ++s) {
                if (h->isSectionHidden(s)) continue;
                const QString t = m->headerData(s, Qt::Horizontal, Qt::DisplayRole).toString();
                if (t.isEmpty()) continue;
                const QVariant f = m->headerData(s, Qt::Horizontal, Qt::FontRole);
                QFont font = f.isValid() ? f.value<QFont>() : h->font();
                // A heading whose column holds the current selection is drawn in bold.
                if (h->highlightSections()) font.setBold(true);
                const Metrics fm(font);
                QSize need = fm.size(0, t) + QSize(2 * margin, 2);
                if (h->isSortIndicatorShown() && h->sortIndicatorSection() == s)
                    need.rwidth() += v->style()->pixelMetric(QStyle::PM_HeaderMarkSize, nullptr, h) + margin;
                Text(v, QStringLiteral(" column %1").arg(s), t, need, QSize(h->sectionSize(s), h->height()));
            }
        }
        // The cells shown: their texts must fit their columns, as the grid does not wrap them.
        // The text's margin on both sides, and the grid line's pixel the cell gives up.
        const int cellMargin = 2 * (v->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, v) + 1) +
                               (v->showGrid() ? 1 : 0);
        for (int c = 0; c < m->columnCount(); ++c) {
            if (v->isColumnHidden(c)) continue;
            for (int r = 0; r < m->rowCount() && r < 200; ++r) {
                const QModelIndex i = m->index(r, c);
                const QString t = i.data(Qt::DisplayRole).toString();
                if (t.isEmpty()) continue;
                const QVariant f = i.data(Qt::FontRole);
                const Metrics fm(f.isValid() ? f.value<QFont>() : v->font());
                const int need = fm.horizontalAdvance(t) + cellMargin;
                if (need > v->columnWidth(c)) {
                    Text(v, QStringLiteral(" row %1 column %2").arg(r).arg(c), t, QSize(need, 0),
                         QSize(v->columnWidth(c), 0));
                    break;
                }
            }
        }
    }

    // Children of a container: each one inside it, no two overlapping (a panel that lies
    // wholly under a control, drawn first, is the control's background, not an overlap).
    void Children(QWidget* parent, bool bounded) {
        QList<QWidget*> shown;
        for (QObject* o : parent->children()) {
            auto* w = qobject_cast<QWidget*>(o);
            if (!w || !w->isVisible() || Internal(w)) continue;
            shown << w;
            if (bounded && !parent->rect().contains(w->geometry()))
                findings << QStringLiteral("%1 %2 at (%3,%4 %5) leaves %6 (%7)")
                                .arg(form, Name(w))
                                .arg(w->x()).arg(w->y()).arg(Size(w->size()), Name(parent), Size(parent->size()));
            Visit(w);
        }
        for (int i = 0; i < shown.size(); ++i)
            for (int j = i + 1; j < shown.size(); ++j) {
                const QRect a = shown[i]->geometry(), b = shown[j]->geometry();
                if (!a.intersects(b)) continue;
                if (!Leaf(shown[i]) && a.contains(b)) continue;  // i is below j
                // Two panels in a row sharing their one-pixel border line.
                const QRect both = a & b;
                if (!Leaf(shown[i]) && !Leaf(shown[j]) && (both.width() == 1 || both.height() == 1)) continue;
                findings << QStringLiteral("%1 %2 (%3,%4 %5) overlaps %6 (%7,%8 %9)")
                                .arg(form, Name(shown[i]))
                                .arg(a.x()).arg(a.y()).arg(Size(a.size()), Name(shown[j]))
                                .arg(b.x()).arg(b.y()).arg(Size(b.size()));
            }
    }

    void Visit(QWidget* w) {
        if (auto* l = qobject_cast<QLabel*>(w)) return Label(l);
        if (auto* b = qobject_cast<QAbstractButton*>(w)) return Button(b);
        if (auto* c = qobject_cast<QComboBox*>(w)) return Combo(c);
        if (auto* t = qobject_cast<QTableView*>(w)) return Table(t);
        if (auto* sp = qobject_cast<QAbstractSpinBox*>(w)) return Spin(sp);
        if (auto* e = qobject_cast<QLineEdit*>(w)) return Edit(e);
        if (auto* lv = qobject_cast<QListView*>(w)) return List(lv);
        if (auto* s = qobject_cast<QScrollArea*>(w)) {
            if (s->widget() && s->widget()->isVisible()) {
                Visit(s->widget());
            }
            return;
        }
        if (auto* t = qobject_cast<QTabWidget*>(w)) {
            if (t->currentWidget()) Children(t->currentWidget(), true);
            return;
        }
        if (Leaf(w)) return;
        if (auto* g = qobject_cast<QGroupBox*>(w)) GroupTitle(g);
        Children(w, true);
    }
};

}  // namespace

QStringList Check(QWidget* form, const QString& name) {
    Checker c;
    c.form = name;
    c.Children(form, true);
    return c.findings;
}

}  // namespace fitcheck
