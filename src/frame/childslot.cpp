#include "frame/childslot.h"

#include <QAction>
#include <QMdiArea>

#include "app/childwindow.h"

namespace tobrin {

ChildSlot::ChildSlot(QMdiArea& workspace, Kind kind) : workspace_(workspace), kind_(std::move(kind)) {}

ChildSlot::~ChildSlot() { Unload(); }

QMdiSubWindow* ChildSlot::SubWindow() const { return sub_; }

bool ChildSlot::Shown() const { return sub_ && !sub_->isHidden(); }

QWidget& ChildSlot::Load()
{
    if (widget_)
        return *widget_;
    if (loading_)
        qFatal("%s was asked for during its own start-up", qPrintable(kind_.subWindowName));
    auto* sub = new ChildWindow(nullptr, kind_.flags);
    sub->setObjectName(kind_.subWindowName);
    loading_ = true;
    QWidget* widget = kind_.make();
    loading_ = false;
    sub->setWidget(widget);
    sub->setWindowTitle(widget->windowTitle());
    if (kind_.fixedSize.isValid())
        sub->setOption(QMdiSubWindow::RubberBandResize, false);
    workspace_.addSubWindow(sub);
    sub->hide();
    if (kind_.fixedSize.isValid())
        sub->setFixedSize(kind_.fixedSize);
    widget_ = widget;
    sub_ = sub;
    connect(sub, &ChildWindow::closed, this, [this, sub] {
        if (sub_ != sub)
            return;  // an earlier load of this window, already forgotten
        widget_ = nullptr;
        sub_ = nullptr;
        SetChecked(false);
        emit closed();
    });
    if (kind_.setUp)
        kind_.setUp(*widget);
    SetChecked(true);
    Place();
    return *widget;
}

void ChildSlot::SetChecked(bool on)
{
    if (checkMark_)
        checkMark_->setChecked(on);
}

void ChildSlot::Place()
{
    if (sub_ && kind_.place)
        kind_.place(*sub_);
}

void ChildSlot::Unload()
{
    widget_ = nullptr;
    delete sub_;  // and the widget with it
}

}  // namespace tobrin
