#include "ui/entry/entry_widgets.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <vector>

#include "ui/controls/bevel.h"
#include "ui/controls/focus_frame.h"

namespace kakeibo {

namespace {

class TabStripAccessible;

// One tab of the strip: named, selected when in front, chosen by its press action.
class TabAccessible final : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    TabAccessible(TTabStrip* strip, int tab) : strip_(strip), tab_(tab) {}

    bool isValid() const override { return strip_ != nullptr; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return strip_->window()->windowHandle(); }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(strip_);
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name ? strip_->TabNames().value(tab_) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        const QRect r = strip_->TabRect(tab_);
        return QRect(strip_->mapToGlobal(r.topLeft()), r.size());
    }
    QAccessible::Role role() const override { return QAccessible::PageTab; }
    QAccessible::State state() const override {
        QAccessible::State s;
        s.selectable = true;
        s.selected = strip_->Current() == tab_;
        s.focusable = true;
        s.focused = s.selected && strip_->hasFocus();
        s.invisible = !strip_->isVisible();
        s.disabled = !strip_->isEnabled();
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }
    void doAction(const QString& name) override {
        if (name == pressAction()) strip_->Choose(tab_);
    }

private:
    TTabStrip* strip_;
    int tab_;
};

// The strip as a list of page tabs, one child per tab.
class TabStripAccessible final : public QAccessibleWidget {
public:
    explicit TabStripAccessible(TTabStrip* strip)
        : QAccessibleWidget(strip, QAccessible::PageTabList) {}
    ~TabStripAccessible() override {
        for (QAccessible::Id id : tabs_) QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return static_cast<int>(Strip()->TabNames().size()); }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount()) return nullptr;
        while (static_cast<int>(tabs_.size()) <= index) {
            tabs_.push_back(QAccessible::registerAccessibleInterface(
                new TabAccessible(Strip(), static_cast<int>(tabs_.size()))));
        }
        return QAccessible::accessibleInterface(tabs_[index]);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (size_t i = 0; i < tabs_.size(); ++i) {
            if (QAccessible::accessibleInterface(tabs_[i]) == child) return static_cast<int>(i);
        }
        return -1;
    }
    QAccessibleInterface* focusChild() const override {
        return Strip()->hasFocus() ? child(Strip()->Current()) : nullptr;
    }
    QString text(QAccessible::Text t) const override {
        const QString own = QAccessibleWidget::text(t);
        if (t != QAccessible::Name || !own.isEmpty()) return own;
        return QStringLiteral("入力の種類");
    }

private:
    TTabStrip* Strip() const { return static_cast<TTabStrip*>(widget()); }
    mutable std::vector<QAccessible::Id> tabs_;
};

QAccessibleInterface* AccessibleFactory(const QString& className, QObject* object) {
    if (className == QLatin1String(TTabStrip::staticMetaObject.className())) {
        if (auto* strip = qobject_cast<TTabStrip*>(object)) return new TabStripAccessible(strip);
    }
    return nullptr;
}

}  // namespace

TTabStrip::TTabStrip(QWidget* parent) : QWidget(parent), surface_(500, 20) {
    static const bool accessible = (QAccessible::installFactory(&AccessibleFactory), true);
    Q_UNUSED(accessible);
    surface_.fill(Qt::white);
    setCursor(Qt::PointingHandCursor);
    // Reached by Tab; a click chooses a tab and leaves the focus where it was.
    setFocusPolicy(Qt::TabFocus);
}

void TTabStrip::SetTabs(const QStringList& names, int tabWidth) {
    names_ = names;
    tabWidth_ = tabWidth;
}

QRect TTabStrip::TabRect(int tab) const {
    return QRect(tabWidth_ * tab, 0, tabWidth_ + 8, height()).intersected(rect());
}

void TTabStrip::SetCurrent(int tab) {
    if (tab == current_ || tab < 0 || tab >= names_.size()) return;
    current_ = tab;
    update();
    if (!QAccessible::isActive()) return;
    QAccessibleEvent selected(this, QAccessible::Selection);
    selected.setChild(tab);
    QAccessible::updateAccessibility(&selected);
    if (hasFocus()) {
        QAccessibleEvent focus(this, QAccessible::Focus);
        focus.setChild(tab);
        QAccessible::updateAccessibility(&focus);
    }
}

void TTabStrip::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(0, 0, surface_);
    if (hasFocus() && !names_.isEmpty()) DrawFocusFrame(p, TabRect(current_).adjusted(4, 2, -4, 0));
}

void TTabStrip::keyPressEvent(QKeyEvent* event) {
    const int last = static_cast<int>(names_.size()) - 1;
    int tab = current_;
    switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Up:
            tab = std::max(0, current_ - 1);
            break;
        case Qt::Key_Right:
        case Qt::Key_Down:
            tab = std::min(last, current_ + 1);
            break;
        case Qt::Key_Home:
            tab = 0;
            break;
        case Qt::Key_End:
            tab = last;
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    Choose(tab);
    event->accept();
}

void TTabStrip::Choose(int tab) {
    if (tab != current_ && tab >= 0 && tab < names_.size() && onChoose_) onChoose_(tab);
}

void TTabStrip::mousePressEvent(QMouseEvent* event) {
    if (onPress_) onPress_(event->position().toPoint().x());
    event->accept();
}

TBevelPanel::TBevelPanel(const QColor& background, QWidget* parent)
    : QFrame(parent), background_(background) {}

void TBevelPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), background_);
    const BevelColors c = BevelOf(palette());
    const QRect outer = rect().adjusted(0, 0, -1, -1);
    DrawEdge(p, outer, c.Shadow, c.Highlight);                         // lowered outer bevel
    DrawEdge(p, outer.adjusted(1, 1, -1, -1), c.Highlight, c.Shadow);  // raised inner bevel
}

}  // namespace kakeibo
