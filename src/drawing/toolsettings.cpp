#include "drawing/toolsettings.h"

#include <QAction>
#include <QActionGroup>
#include <QEvent>
#include <QFocusEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <climits>
#include <cmath>

#include "app/appresources.h"
#include "core/canvaslayout.h"
#include "app/accessible.h"
#include "core/units.h"
#include "drawing/drawarea.h"
#include "drawing/drawingwindow.h"
#include "drawing/spinscroll.h"
#include "drawing/tools/toolregistry.h"

namespace tobrin {

namespace {

constexpr int kMaxFieldValue = 10;  // both number fields end at 10

QIcon SettingsIcon(int index)
{
    return ResourceIcon(QStringLiteral(":/icons/settings/%1.png").arg(index, 2, 10, QLatin1Char('0')));
}


}  // namespace

int LeadingInteger(const QString& text)
{
    const QByteArray s = text.toLatin1();
    int i = 0;
    const int n = s.size();
    while (i < n && (s[i] == ' ' || s[i] == '\t'))
        ++i;
    const int start = i;
    if (i < n && (s[i] == '+' || s[i] == '-'))
        ++i;
    const int digitsStart = i;
    while (i < n && s[i] >= '0' && s[i] <= '9')
        ++i;
    bool any = i > digitsStart;
    if (i < n && s[i] == '.') {
        ++i;
        const int fracStart = i;
        while (i < n && s[i] >= '0' && s[i] <= '9')
            ++i;
        any = any || i > fracStart;
    }
    if (!any)
        return 0;
    // An exponent belongs to the number only when digits follow it.
    if (i < n && (s[i] == 'e' || s[i] == 'E')) {
        int j = i + 1;
        if (j < n && (s[j] == '+' || s[j] == '-'))
            ++j;
        const int expStart = j;
        while (j < n && s[j] >= '0' && s[j] <= '9')
            ++j;
        if (j > expStart)
            i = j;
    }
    const double v = std::floor(std::strtod(s.mid(start, i - start).constData(), nullptr));
    if (!(v > INT_MIN))
        return INT_MIN;
    if (!(v < INT_MAX))
        return INT_MAX;
    return static_cast<int>(v);
}

ToolSettings::ToolSettings(DrawingWindow& main) : QObject(&main), main_(main)
{
    // Tool toolbar: one exclusive button per tool of the registry, down the
    // left edge; the key that chooses it is in its tooltip.
    drawTool_ = new QToolBar(&main);
    drawTool_->setObjectName(QStringLiteral("DrawTool"));
    drawTool_->setOrientation(Qt::Vertical);
    drawTool_->setIconSize(QSize(16, 16));
    drawTool_->setMovable(false);
    toolGroup_ = new QActionGroup(drawTool_);
    toolGroup_->setExclusive(true);
    for (const auto& tool : main.ToolList().All()) {
        const Tool::Info& info = tool->info();
        if (!info.onToolbar)
            continue;
        QAction* a =
            drawTool_->addAction(ResourceIcon(QStringLiteral(":/icons/tools/%1.png").arg(info.icon)), info.name);
        // The key is the "&Tools" menu entry's, which the frame builds from
        // the same registry; the button shows it.
        a->setToolTip(QStringLiteral("%1 (%2)").arg(info.name, QString(info.key)));
        a->setObjectName(QStringLiteral("Tool") + info.name);
        a->setStatusTip(info.hint);
        a->setCheckable(true);
        toolGroup_->addAction(a);
        toolActions_.insert(info.id, a);
        const QString id = info.id;
        connect(a, &QAction::triggered, this, [this, id] { main_.ChooseTool(id); });
    }

    // Settings toolbar along the top.
    settingBar_ = new QToolBar(&main);
    settingBar_->setObjectName(QStringLiteral("SettingBar"));
    settingBar_->setIconSize(QSize(16, 16));
    settingBar_->setMovable(false);

    label1_ = new QLabel(QStringLiteral("Paint"), settingBar_);
    label1_->setObjectName(QStringLiteral("Label1"));
    settingBar_->addWidget(label1_);

    auto makeDropDown = [this](const QString& name, const QString& tip, QMenu*& menu) {
        auto* b = new QToolButton(settingBar_);
        b->setObjectName(name);
        b->setToolTip(tip);
        SetAccessible(b, tip, tip + QStringLiteral(": the button applies it, its arrow chooses another"));
        b->setPopupMode(QToolButton::MenuButtonPopup);
        menu = new QMenu(b);
        b->setMenu(menu);
        settingBar_->addWidget(b);
        return b;
    };

    paintButton_ = makeDropDown(QStringLiteral("PaintStyleButton"), QStringLiteral("Paint style"), paintMenu_);

    whiteTransparent_ = settingBar_->addAction(ResourceIcon(QStringLiteral(":/icons/settings/transparent.png")),
                                               QStringLiteral("White is transparent"));
    whiteTransparent_->setObjectName(QStringLiteral("WhiteTransparentButton"));
    whiteTransparent_->setToolTip(QStringLiteral("White is transparent"));
    whiteTransparent_->setCheckable(true);
    connect(whiteTransparent_, &QAction::triggered, this,
            [this] { main_.State().WhiteTransparent = whiteTransparent_->isChecked(); });

    settingBar_->addSeparator();

    lineStyleButton_ = makeDropDown(QStringLiteral("LineStyleButton"), QStringLiteral("Line style"), lineMenu_);

    auto makeField = [this](const QString& editName, const QString& tip, const QString& text,
                            const QString& scrollName, int lo, int value, QLineEdit*& edit,
                            SpinScroll*& scroll) {
        auto* box = new QWidget(settingBar_);
        auto* row = new QHBoxLayout(box);
        row->setContentsMargins(2, 0, 2, 0);
        row->setSpacing(0);
        edit = new QLineEdit(text, box);
        edit->setObjectName(editName);
        edit->setToolTip(tip);
        edit->setFixedWidth(28);
        edit->installEventFilter(this);
        scroll = new SpinScroll(lo, kMaxFieldValue, value, box);
        scroll->setObjectName(scrollName);
        scroll->setFixedSize(16, 24);
        SetAccessible(edit, tip);
        SetAccessible(scroll, tip + QStringLiteral(" spinner"), QStringLiteral("Steps the %1 up or down").arg(tip.toLower()));
        row->addWidget(edit);
        row->addWidget(scroll);
        settingBar_->addWidget(box);
    };
    makeField(QStringLiteral("LineWidth"), QStringLiteral("Line width"), QStringLiteral("1"),
              QStringLiteral("LineScroll"), 1, 1, lineWidth_, lineScroll_);
    connect(lineScroll_, &QScrollBar::valueChanged, this, [this] { LineScroll_Change(); });
    AddLineWidthKeys(main);

    settingBar_->addSeparator();

    fillStyleButton_ = makeDropDown(QStringLiteral("FillStyleButton"), QStringLiteral("Fill style"), fillMenu_);

    makeField(QStringLiteral("PatternSize"), QStringLiteral("Pattern density"), QStringLiteral("3"),
              QStringLiteral("PatternScroll"), 2, 3, patternSize_, patternScroll_);
    connect(patternScroll_, &QScrollBar::valueChanged, this, [this] { PatternScroll_Change(); });

    settingBar_->addSeparator();
    AddMirrorButton();
    settingBar_->addSeparator();

    // Pointer read-out.
    picture1_ = new QFrame(settingBar_);
    picture1_->setObjectName(QStringLiteral("Picture1"));
    picture1_->setFrameShape(QFrame::StyledPanel);
    auto* col = new QVBoxLayout(picture1_);
    col->setContentsMargins(4, 0, 4, 0);
    col->setSpacing(0);
    coorTextX_ = new QLabel(QStringLiteral("X:"), picture1_);
    coorTextX_->setObjectName(QStringLiteral("CoorTextX"));
    coorTextY_ = new QLabel(QStringLiteral("Y:"), picture1_);
    coorTextY_->setObjectName(QStringLiteral("CoorTextY"));
    coorTextX_->setMinimumWidth(40);
    col->addWidget(coorTextX_);
    col->addWidget(coorTextY_);
    settingBar_->addWidget(picture1_);
    // After the read-out, so a narrow window hides them before it.
    AddToolSettings();
    SetAccessible(drawTool_, QStringLiteral("Drawing tools"));
    SetAccessible(settingBar_, QStringLiteral("Tool settings"));
    SetAccessible(picture1_, QStringLiteral("Pointer position"));
    NameOverflowButtons(&main);
    NameActionButtons(drawTool_);
    NameActionButtons(settingBar_);
}

void ToolSettings::AddLineWidthKeys(DrawingWindow& main)
{
    // "[" and "]" step the line width as its spinner does, within the same
    // limits. A text field that has the focus takes the keys as text.
    const auto key = [this, &main](const char* name, const char* text, int step) {
        auto* a = new QAction(QLatin1String(name), &main);
        a->setObjectName(QLatin1String(name));
        a->setShortcut(QKeySequence(QLatin1String(text)));
        a->setShortcutContext(Qt::ApplicationShortcut);
        connect(a, &QAction::triggered, this, [this, step] { lineScroll_->setValue(lineScroll_->value() + step); });
        main.addAction(a);
    };
    key("LineWidthDown", "[", -1);
    key("LineWidthUp", "]", 1);
}

QAction* ToolSettings::ToolAction(const QString& id) const { return toolActions_.value(id); }

void ToolSettings::FillMenus()
{
    // Entry i (from 1) of each menu sets the style numbered i.
    auto fill = [this](QMenu* menu, const QStringList& entries, int iconBase, auto choose) {
        menu->clear();
        for (int i = 0; i < entries.size(); ++i) {
            QAction* a = menu->addAction(SettingsIcon(iconBase + i + 1), entries[i]);
            connect(a, &QAction::triggered, this, [choose, i] { choose(i + 1); });
        }
    };
    fill(paintMenu_, {QStringLiteral("Black"), QStringLiteral("White"), QStringLiteral("Reverse")}, 0,
         [this](int i) { SetPaintStyle(PaintStyle(i)); });
    fill(lineMenu_,
         {QStringLiteral("Solid"), QStringLiteral("Empty"), QStringLiteral("Dotted"), QStringLiteral("Dashed"),
          QStringLiteral("Dot - Dash")},
         3, [this](int i) { SetLineStyle(LineStyle(i)); });
    fill(fillMenu_,
         {QStringLiteral("Solid"), QStringLiteral("Transparent"), QStringLiteral("Horizontal"),
          QStringLiteral("Vertical"), QStringLiteral("Cross"), QStringLiteral("Diagonal left"),
          QStringLiteral("Diagonal right"), QStringLiteral("Cross diagonal")},
         8, [this](int i) { SetFillStyle(FillStyle(i)); });
}

void ToolSettings::AddMirrorButton()
{
    // Mirror drawing: the button turns it on and off (about the vertical
    // centre line when it was off), its arrow chooses the axis.
    mirrorButton_ = new QToolButton(settingBar_);
    mirrorButton_->setObjectName(QStringLiteral("MirrorButton"));
    mirrorButton_->setToolTip(QStringLiteral("Mirror drawing (M)"));
    mirrorButton_->setIcon(ResourceIcon(QStringLiteral(":/icons/settings/mirror.png")));
    mirrorButton_->setCheckable(true);
    mirrorButton_->setPopupMode(QToolButton::MenuButtonPopup);
    SetAccessible(mirrorButton_, QStringLiteral("Mirror drawing"),
                  QStringLiteral("Repeats every stroke about the picture's centre lines: the button turns it on and "
                                 "off, its arrow chooses the axis"));
    auto* menu = new QMenu(mirrorButton_);
    const std::pair<const char*, Mirror> entries[] = {{"Off", Mirror::Off},
                                                      {"Vertical axis", Mirror::Vertical},
                                                      {"Horizontal axis", Mirror::Horizontal},
                                                      {"Both axes", Mirror::Both}};
    for (const auto& [text, mirror] : entries) {
        const Mirror m = mirror;
        connect(menu->addAction(QLatin1String(text)), &QAction::triggered, this, [this, m] { SetMirror(m); });
    }
    mirrorButton_->setMenu(menu);
    connect(mirrorButton_, &QToolButton::clicked, this, [this] {
        SetMirror(main_.State().Mirror == Mirror::Off ? Mirror::Vertical : Mirror::Off);
    });
    settingBar_->addWidget(mirrorButton_);
    auto* key = new QAction(QStringLiteral("Mirror drawing"), &main_);
    key->setObjectName(QStringLiteral("MirrorKey"));
    key->setShortcut(QKeySequence(QStringLiteral("M")));
    key->setShortcutContext(Qt::ApplicationShortcut);
    connect(key, &QAction::triggered, mirrorButton_, &QToolButton::click);
    main_.addAction(key);
}

void ToolSettings::SetMirror(Mirror mirror)
{
    mirrorButton_->setChecked(mirror != Mirror::Off);
    if (main_.State().Mirror == mirror)
        return;
    main_.State().Mirror = mirror;
    main_.MirrorChanged();
}

void ToolSettings::ApplyDefaults() { ApplySettings(DrawingState()); }

void ToolSettings::ApplySettings(const DrawingState& kept)
{
    SetFillStyle(kept.FillStyleIndex);
    SetLineStyle(kept.LineStyleIndex);
    ShowToolPressed(main_.CurrentTool());
    SetWhiteTransparent(kept.WhiteTransparent);
    SetPaintStyle(kept.PaintStyle);
    // The spinners' handlers show the numbers and set the pen.
    DrawingState& s = main_.State();
    lineScroll_->setValue(kept.PenWidth);
    patternScroll_->setValue(kept.PatternDensity);
    s.PenWidth = lineScroll_->value();
    s.PatternDensity = patternScroll_->value();
    main_.Holder().SetPenWidth(s.PenWidth);
    SetMirror(kept.Mirror);
}

void ToolSettings::SetPaintStyle(PaintStyle style)
{
    main_.State().PaintStyle = style;
    paintButton_->setIcon(SettingsIcon(int(style)));
}

void ToolSettings::SetWhiteTransparent(bool on)
{
    main_.State().WhiteTransparent = on;
    whiteTransparent_->setChecked(on);
}

void ToolSettings::SetLineStyle(LineStyle style)
{
    main_.State().LineStyleIndex = style;
    lineStyleButton_->setIcon(SettingsIcon(int(style) + 3));
}

void ToolSettings::SetFillStyle(FillStyle style)
{
    main_.State().FillStyleIndex = style;
    fillStyleButton_->setIcon(SettingsIcon(int(style) + 8));
}

void ToolSettings::LineScroll_Change()
{
    const int v = lineScroll_->value();
    lineWidth_->setText(QString::number(v));
    main_.State().PenWidth = v;
    main_.Holder().SetPenWidth(v);
}

void ToolSettings::PatternScroll_Change()
{
    const int v = patternScroll_->value();
    patternSize_->setText(QString::number(v));
    main_.State().PatternDensity = v;
}

void ToolSettings::EnterPressed(QLineEdit* edit)
{
    // Moving the focus to the canvas ends the editing; when the window is
    // not active no focus change arrives, so the check runs here instead.
    const int before = lostFocusRuns_;
    if (DrawArea* canvas = main_.Canvas())
        canvas->setFocus(Qt::OtherFocusReason);
    if (lostFocusRuns_ == before) {
        if (edit == lineWidth_)
            LineWidth_LostFocus();
        else
            PatternSize_LostFocus();
    }
}

void ToolSettings::ValidateField(QLineEdit* edit, SpinScroll* scroll, int lowest)
{
    ++lostFocusRuns_;
    int v = LeadingInteger(edit->text());
    if (v < lowest || v > kMaxFieldValue)
        v = scroll->value();  // the entry is discarded
    scroll->setValue(v);      // runs the spinner's change when it differs
    edit->setText(QString::number(scroll->value()));
}

void ToolSettings::LineWidth_LostFocus() { ValidateField(lineWidth_, lineScroll_, 1); }

void ToolSettings::PatternSize_LostFocus() { ValidateField(patternSize_, patternScroll_, 2); }

void ToolSettings::ShowToolPressed(const Tool& tool)
{
    if (QAction* a = ToolAction(tool.info().id))
        a->setChecked(true);
    // Only the tool in use shows settings of its own; one whose marks
    // take no line or fill style makes room for them on the bar.
    for (auto it = toolSettings_.cbegin(); it != toolSettings_.cend(); ++it)
        it.value()->setVisible(it.key() == tool.info().id);
    const QList<QWidget*> linesAndFills = {lineStyleButton_, lineWidth_->parentWidget(), fillStyleButton_,
                                           patternSize_->parentWidget()};
    const QList<QAction*> actions = settingBar_->actions();
    for (int i = 0; i < actions.size(); ++i) {
        // A separator goes with the group it stands before.
        const QAction* group = actions[i]->isSeparator() && i + 1 < actions.size() ? actions[i + 1] : actions[i];
        if (linesAndFills.contains(settingBar_->widgetForAction(const_cast<QAction*>(group))))
            actions[i]->setVisible(tool.info().linesAndFills);
    }
}

void ToolSettings::ShowToolReleased(const Tool& tool)
{
    if (QAction* a = ToolAction(tool.info().id))
        a->setChecked(false);
    for (QAction* settings : toolSettings_)
        settings->setVisible(false);
}

void ToolSettings::AddToolSettings()
{
    for (const auto& tool : main_.ToolList().All())
        if (QWidget* settings = tool->MakeSettings(main_.Environment(), settingBar_)) {
            QAction* shown = settingBar_->addWidget(settings);
            shown->setVisible(false);
            toolSettings_.insert(tool->info().id, shown);
        }
}

void ToolSettings::ShowCoordinates(int x, int y)
{
    // A blank stands where a minus sign would.
    auto number = [](int v) { return v < 0 ? QString::number(v) : QLatin1Char(' ') + QString::number(v); };
    coorTextX_->setText(QStringLiteral("X:") + number(x));
    coorTextY_->setText(QStringLiteral("Y:") + number(y));
}

void ToolSettings::Place(int clientWidth)
{
    using namespace canvasgeometry;
    const int top = units::ToPixels(kCanvasTop);
    const int left = units::ToPixels(kCanvasLeft);
    settingBar_->setGeometry(0, 0, std::max(clientWidth, 1), top - 1);
    const int toolHeight = drawTool_->sizeHint().height();
    drawTool_->setGeometry(0, top, left - 1, toolHeight);
}

bool ToolSettings::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lineWidth_ || watched == patternSize_) {
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                EnterPressed(watched == lineWidth_ ? lineWidth_ : patternSize_);
                return true;
            }
        } else if (event->type() == QEvent::FocusOut
                   && static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
            // A popup menu opening over the field does not end the editing.
            if (watched == lineWidth_)
                LineWidth_LostFocus();
            else
                PatternSize_LostFocus();
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace tobrin
