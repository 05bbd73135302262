#include <memory>

#include <QApplication>
#include <QColorDialog>
#include <QLabel>
#include <QScreen>
#include <QShortcut>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolTip>

#include "panes/colorpalette.h"
#include "panes/colorpicker.h"

namespace {

constexpr quint32 kRed = 0x000000FF;
constexpr quint32 kCustom = 0x00123456; // in no palette cell
constexpr quint32 kTransparent = 0xFF000000;

// A shown top-level window holding one picker, closed by Escape the way the main window is.
struct Host
{
    Host(quint32 color, bool allowTransparent, QPoint pos = {100, 100})
    {
        window->setObjectName(QStringLiteral("host"));
        window->setGeometry(QRect(pos, QSize(120, 60)));
        picker = new ColorPicker(window.get(), color, allowTransparent);
        picker->setGeometry(10, 10, 80, 24);
        auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), window.get());
        escape->setContext(Qt::WindowShortcut);
        QObject::connect(escape, &QShortcut::activated, window.get(), &QWidget::close);
        window->show();
        window->activateWindow();
    }

    ColorPopup *popup() const
    {
        return picker->findChild<ColorPopup *>(QStringLiteral("colorPopup"));
    }

    // Opens the popup with a click on the picker; null when it did not open.
    ColorPopup *open() const
    {
        QTest::mouseClick(picker, Qt::LeftButton);
        ColorPopup *shown = popup();
        return shown && shown->isVisible() ? shown : nullptr;
    }

    std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
    ColorPicker *picker = nullptr;
};

// A point inside the popup that lies on no entry: the gap right of the first cell.
QPoint gapPoint(const ColorPopup &popup)
{
    const QRect cell = popup.cellRect(0);
    return {cell.right() + 1, cell.center().y()};
}

quint32 entryValue(int entry, quint32 current)
{
    if (entry == ColorPopup::NoEntry)
        return current;
    if (entry == ColorPopup::TransparentEntry)
        return kTransparent;
    return colorpalette::entry(entry).value;
}

// Answers the colour dialog once it is up: notes what it started with, then sets a colour and
// presses OK, or presses Cancel.
class DialogAnswer : public QObject
{
public:
    DialogAnswer(bool accept, QColor chosen) : m_accept(accept), m_chosen(chosen)
    {
        connect(&m_timer, &QTimer::timeout, this, &DialogAnswer::answer);
        m_timer.start(10);
    }

    bool seen = false;
    QString objectName;
    QColor startColor;
    bool nonNative = false;
    bool popupOpenMeanwhile = false;
    bool popupVisibleMeanwhile = true;
    const ColorPicker *picker = nullptr;

private:
    void answer()
    {
        auto *dialog = qobject_cast<QColorDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        m_timer.stop();
        seen = true;
        objectName = dialog->objectName();
        startColor = dialog->currentColor();
        nonNative = dialog->testOption(QColorDialog::DontUseNativeDialog);
        if (picker) {
            popupOpenMeanwhile = picker->isPopupOpen();
            popupVisibleMeanwhile = picker->findChild<ColorPopup *>()->isVisible();
        }
        if (m_accept) {
            dialog->setCurrentColor(m_chosen);
            dialog->accept();
        } else {
            dialog->reject();
        }
    }

    bool m_accept;
    QColor m_chosen;
    QTimer m_timer;
};

enum OpenGesture
{
    LeftClick,
    LeftPressOnly,
    RightClick,
    LeftReleaseOutside,
    Keys
};
enum CancelGesture
{
    Escape,
    EscapeThroughWindow,
    ClickOutside,
    ClickOutsideThroughWindow,
    ClickOnPickerThroughWindow,
    PressInsideReleaseOutside,
    ApplicationDeactivated,
    ApplicationStateInactive,
};
enum Anchor
{
    AtPicker,
    AtScreenEdge,
    AbovePicker
};

} // namespace

Q_DECLARE_METATYPE(OpenGesture)
Q_DECLARE_METATYPE(CancelGesture)
Q_DECLARE_METATYPE(Anchor)

class ColorPickerTest : public QObject
{
    Q_OBJECT

private slots:
    void startColour_data();
    void startColour();
    void onlyLeftReleaseOverPickerOpens_data();
    void onlyLeftReleaseOverPickerOpens();
    void releaseOverPickerOpensWhereverPressBegan_data();
    void releaseOverPickerOpensWhereverPressBegan();
    void clickOnCellAccepts_data();
    void clickOnCellAccepts();
    void releaseAcceptsLastHighlighted_data();
    void releaseAcceptsLastHighlighted();
    void arrowKeysMoveHighlight_data();
    void arrowKeysMoveHighlight();
    void cancelFiresNothing_data();
    void cancelFiresNothing();
    void otherColoursDialog_data();
    void otherColoursDialog();
    void transparentRowOnlyWhenAllowed();
    void popupStaysOnScreen_data();
    void popupStaysOnScreen();
    void cellTooltipsAreNames_data();
    void cellTooltipsAreNames();
    void faceShowsColourAndOpenState();
    void oneReusedPopup();
};

void ColorPickerTest::startColour_data()
{
    QTest::addColumn<quint32>("start");
    QTest::addColumn<bool>("allowTransparent");
    QTest::addColumn<quint32>("color");
    QTest::addColumn<int>("pressed");
    QTest::newRow("black") << 0u << false << 0u << 0;
    QTest::newRow("red") << kRed << false << kRed << 12;
    QTest::newRow("last palette colour") << 0x00606060u << false << 0x00606060u << 31;
    QTest::newRow("custom colour")
        << kCustom << false << kCustom << int(ColorPopup::OtherColorsEntry);
    QTest::newRow("transparent not allowed becomes black") << kTransparent << false << 0u << 0;
    QTest::newRow("transparent allowed")
        << kTransparent << true << kTransparent << int(ColorPopup::TransparentEntry);
    QTest::newRow("black with transparent allowed") << 0u << true << 0u << 0;
}

void ColorPickerTest::startColour()
{
    QFETCH(quint32, start);
    QFETCH(bool, allowTransparent);
    QFETCH(quint32, color);
    QFETCH(int, pressed);

    Host host(start, allowTransparent);
    QSignalSpy chosen(host.picker, &ColorPicker::colorChosen);
    QCOMPARE(host.picker->color(), color);
    QCOMPARE(host.picker->property("color").value<quint32>(), color);
    QCOMPARE(host.picker->allowTransparent(), allowTransparent);
    QVERIFY(!host.picker->isPopupOpen());

    ColorPopup *popup = host.open();
    QVERIFY(popup);
    QCOMPARE(popup->pressedEntry(), pressed);
    QCOMPARE(popup->highlightedEntry(), int(ColorPopup::NoEntry));

    // Drawn pressed: the sunken edge sets the entry's corner apart from an unpressed entry's.
    const QImage image = popup->grab().toImage();
    const int unpressed = pressed == 0 ? 1 : 0;
    QVERIFY(image.pixel(popup->entryRect(pressed).topLeft()) !=
            image.pixel(popup->entryRect(unpressed).topLeft()));
    QCOMPARE(chosen.count(), 0);
}

void ColorPickerTest::onlyLeftReleaseOverPickerOpens_data()
{
    QTest::addColumn<OpenGesture>("gesture");
    QTest::addColumn<bool>("opens");
    QTest::newRow("left click") << LeftClick << true;
    QTest::newRow("left press alone") << LeftPressOnly << false;
    QTest::newRow("right click") << RightClick << false;
    QTest::newRow("left release outside the picker") << LeftReleaseOutside << false;
    QTest::newRow("keyboard") << Keys << false;
}

void ColorPickerTest::onlyLeftReleaseOverPickerOpens()
{
    QFETCH(OpenGesture, gesture);
    QFETCH(bool, opens);

    Host host(0, false);
    ColorPicker *picker = host.picker;
    switch (gesture) {
    case LeftClick:
        QTest::mouseClick(picker, Qt::LeftButton);
        break;
    case LeftPressOnly:
        QTest::mousePress(picker, Qt::LeftButton);
        QVERIFY(!host.popup()->isVisible());
        break;
    case RightClick:
        QTest::mouseClick(picker, Qt::RightButton);
        break;
    case LeftReleaseOutside:
        QTest::mousePress(picker, Qt::LeftButton);
        QTest::mouseRelease(picker, Qt::LeftButton, {}, QPoint(picker->width() + 5, 5));
        break;
    case Keys:
        QVERIFY(QTest::qWaitForWindowActive(host.window.get()));
        picker->setFocus();
        QVERIFY(picker->hasFocus());
        for (int key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Down, Qt::Key_F4})
            QTest::keyClick(picker, Qt::Key(key));
        QTest::keyClick(picker, Qt::Key_Down, Qt::AltModifier);
        break;
    }
    QCOMPARE(host.popup()->isVisible(), opens);
    QCOMPARE(picker->isPopupOpen(), opens);
}

void ColorPickerTest::releaseOverPickerOpensWhereverPressBegan_data()
{
    // Presses and releases go to the window as the platform delivers them, so the control under
    // the press keeps the mouse until the release.
    QTest::addColumn<QString>("pressOn");
    QTest::addColumn<QString>("releaseOn");
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("opens");
    QTest::newRow("picker to picker") << "picker"
                                      << "picker" << int(Qt::LeftButton) << true;
    QTest::newRow("label to picker") << "label"
                                     << "picker" << int(Qt::LeftButton) << true;
    QTest::newRow("window to picker") << "window"
                                      << "picker" << int(Qt::LeftButton) << true;
    QTest::newRow("picker to label") << "picker"
                                     << "label" << int(Qt::LeftButton) << false;
    QTest::newRow("label to label") << "label"
                                    << "label" << int(Qt::LeftButton) << false;
    QTest::newRow("label to picker, right button") << "label"
                                                   << "picker" << int(Qt::RightButton) << false;
}

void ColorPickerTest::releaseOverPickerOpensWhereverPressBegan()
{
    QFETCH(QString, pressOn);
    QFETCH(QString, releaseOn);
    QFETCH(int, button);
    QFETCH(bool, opens);

    Host host(0, false);
    auto *label = new QLabel(QStringLiteral("label"), host.window.get());
    label->setGeometry(10, 36, 80, 20);
    label->show();
    QVERIFY(QTest::qWaitForWindowExposed(host.window.get()));
    QSignalSpy chosen(host.picker, &ColorPicker::colorChosen);

    const auto pointOf = [&](const QString &where) {
        if (where == "picker")
            return host.picker->geometry().center();
        if (where == "label")
            return label->geometry().center();
        return QPoint(105, 50); // the window's own background
    };
    QWindow *window = host.window->windowHandle();
    QTest::mouseMove(window, pointOf(pressOn));
    QTest::mousePress(window, Qt::MouseButton(button), {}, pointOf(pressOn));
    QTest::mouseMove(window, pointOf(releaseOn));
    QTest::mouseRelease(window, Qt::MouseButton(button), {}, pointOf(releaseOn));

    QTRY_COMPARE(host.popup()->isVisible(), opens);
    QCOMPARE(host.picker->isPopupOpen(), opens);
    QCOMPARE(chosen.count(), 0);
}

void ColorPickerTest::clickOnCellAccepts_data()
{
    QTest::addColumn<quint32>("start");
    QTest::addColumn<int>("cell");
    QTest::addColumn<quint32>("expected");
    QTest::newRow("red from black") << 0u << 12 << kRed;
    QTest::newRow("current colour again") << kRed << 12 << kRed;
    QTest::newRow("black at start again") << 0u << 0 << 0u;
    QTest::newRow("last cell") << 0u << 31 << 0x00606060u;
    QTest::newRow("first of the last row") << 0u << 28 << 0x000080FFu;
    QTest::newRow("from a custom colour") << kCustom << 17 << 0x00E03058u;
}

void ColorPickerTest::clickOnCellAccepts()
{
    QFETCH(quint32, start);
    QFETCH(int, cell);
    QFETCH(quint32, expected);

    Host host(start, false);
    QSignalSpy chosen(host.picker, &ColorPicker::colorChosen);
    ColorPopup *popup = host.open();
    QVERIFY(popup);
    QVERIFY(host.picker->isPopupOpen());

    // What the bound command would see while it runs.
    quint32 storedDuringEvent = 0xDEADBEEF;
    bool popupUpDuringEvent = false;
    connect(host.picker, &ColorPicker::colorChosen, this, [&] {
        storedDuringEvent = host.picker->color();
        popupUpDuringEvent = popup->isVisible();
    });

    QTest::mouseClick(popup, Qt::LeftButton, {}, popup->cellRect(cell).center());
    QCOMPARE(chosen.count(), 1);
    QCOMPARE(chosen.at(0).at(0).value<quint32>(), expected);
    QCOMPARE(storedDuringEvent, expected);
    QVERIFY(popupUpDuringEvent);
    QCOMPARE(host.picker->color(), expected);
    QVERIFY(!popup->isVisible());
    QVERIFY(!host.picker->isPopupOpen());
}

void ColorPickerTest::releaseAcceptsLastHighlighted_data()
{
    QTest::addColumn<quint32>("start");
    QTest::addColumn<QList<int>>("hovered");
    QTest::addColumn<int>("releaseOn"); // a cell, or -1 for the gap between cells
    QTest::addColumn<quint32>("expected");
    QTest::newRow("nothing highlighted takes the current colour")
        << kRed << QList<int>{} << -1 << kRed;
    QTest::newRow("gap after hovering a cell") << kRed << QList<int>{3} << -1 << 0x00808000u;
    QTest::newRow("the last of several hovered")
        << kRed << QList<int>{3, 10, 24} << -1 << 0x00FF0090u;
    QTest::newRow("release over another cell") << kRed << QList<int>{3} << 5 << 0x00800080u;
    QTest::newRow("custom colour kept without the dialog")
        << kCustom << QList<int>{} << -1 << kCustom;
}

void ColorPickerTest::releaseAcceptsLastHighlighted()
{
    QFETCH(quint32, start);
    QFETCH(QList<int>, hovered);
    QFETCH(int, releaseOn);
    QFETCH(quint32, expected);

    Host host(start, false);
    QSignalSpy chosen(host.picker, &ColorPicker::colorChosen);
    ColorPopup *popup = host.open();
    QVERIFY(popup);
    for (int cell : hovered) {
        QTest::mouseMove(popup, popup->cellRect(cell).center());
        QTRY_COMPARE(popup->highlightedEntry(), cell);
    }
    const QPoint gap = gapPoint(*popup);
    QTest::mouseMove(popup, gap);
    QCOMPARE(popup->highlightedEntry(),
             hovered.isEmpty() ? int(ColorPopup::NoEntry) : hovered.last());
    QCOMPARE(chosen.count(), 0);

    const QPoint release = releaseOn < 0 ? gap : popup->cellRect(releaseOn).center();
    QTest::mousePress(popup, Qt::LeftButton, {}, gap);
    QTest::mouseRelease(popup, Qt::LeftButton, {}, release);
    QCOMPARE(chosen.count(), 1);
    QCOMPARE(chosen.at(0).at(0).value<quint32>(), expected);
    QCOMPARE(host.picker->color(), expected);
    QVERIFY(!popup->isVisible());
}

void ColorPickerTest::arrowKeysMoveHighlight_data()
{
    QTest::addColumn<quint32>("start");
    QTest::addColumn<bool>("allowTransparent");
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<int>("highlighted");
    QTest::addColumn<int>("acceptKey");

    constexpr int other = ColorPopup::OtherColorsEntry;
    constexpr int transparent = ColorPopup::TransparentEntry;
    constexpr int none = ColorPopup::NoEntry;
    using Keys = QList<int>;
    QTest::newRow("enter alone takes the current colour")
        << kRed << false << Keys{} << none << int(Qt::Key_Return);
    QTest::newRow("right from the current cell")
        << kRed << false << Keys{Qt::Key_Right} << 13 << int(Qt::Key_Return);
    QTest::newRow("left from the current cell")
        << kRed << false << Keys{Qt::Key_Left} << 11 << int(Qt::Key_Enter);
    QTest::newRow("down a row") << kRed << false << Keys{Qt::Key_Down} << 19 << int(Qt::Key_Space);
    QTest::newRow("up a row") << kRed << false << Keys{Qt::Key_Up} << 5 << int(Qt::Key_Return);
    QTest::newRow("right across the end of a row")
        << 0x00008080u << false << Keys{Qt::Key_Right} << 7 << int(Qt::Key_Return);
    QTest::newRow("several steps")
        << kRed << false << Keys{Qt::Key_Right, Qt::Key_Right, Qt::Key_Down} << 21
        << int(Qt::Key_Return);
    QTest::newRow("left from the first cell onto transparent")
        << 0u << true << Keys{Qt::Key_Left} << transparent << int(Qt::Key_Return);
    QTest::newRow("up from the top row onto transparent")
        << 0x00800000u << true << Keys{Qt::Key_Up} << transparent << int(Qt::Key_Space);
    QTest::newRow("down from transparent back to the column")
        << 0x00800000u << true << Keys{Qt::Key_Up, Qt::Key_Down} << 1 << int(Qt::Key_Return);
    QTest::newRow("up from the top row without transparent")
        << 0x00800000u << false << Keys{Qt::Key_Up} << other << 0;
    QTest::newRow("left from the first cell without transparent")
        << 0u << false << Keys{Qt::Key_Left} << other << 0;
    QTest::newRow("down from the last row")
        << 0x00606060u << false << Keys{Qt::Key_Down} << other << 0;
    QTest::newRow("down past the short last row")
        << 0x00FF8800u << false << Keys{Qt::Key_Down} << other << 0;
    QTest::newRow("up from other colours to the column")
        << 0x00FF8800u << false << Keys{Qt::Key_Down, Qt::Key_Up} << 25 << int(Qt::Key_Return);
    QTest::newRow("right from other colours wraps to the top")
        << kCustom << false << Keys{Qt::Key_Right} << 0 << int(Qt::Key_Return);
    QTest::newRow("right from other colours wraps to transparent")
        << kCustom << true << Keys{Qt::Key_Right} << transparent << int(Qt::Key_Return);
}

// Rows with acceptKey 0 stop on the "其它颜色..." entry and leave with Escape.
void ColorPickerTest::arrowKeysMoveHighlight()
{
    QFETCH(quint32, start);
    QFETCH(bool, allowTransparent);
    QFETCH(QList<int>, keys);
    QFETCH(int, highlighted);
    QFETCH(int, acceptKey);

    Host host(start, allowTransparent);
    QSignalSpy chosen(host.picker, &ColorPicker::colorChosen);
    ColorPopup *popup = host.open();
    QVERIFY(popup);
    for (int key : keys)
        QTest::keyClick(popup, Qt::Key(key));
    QCOMPARE(popup->highlightedEntry(), highlighted);
    QCOMPARE(host.picker->color(), start);
    QCOMPARE(chosen.count(), 0);

    QTest::keyClick(popup, acceptKey ? Qt::Key(acceptKey) : Qt::Key_Escape);
    QVERIFY(!popup->isVisible());
    if (!acceptKey) {
        QCOMPARE(chosen.count(), 0);
        return;
    }
    QCOMPARE(chosen.count(), 1);
    QCOMPARE(chosen.at(0).at(0).value<quint32>(), entryValue(highlighted, start));
    QCOMPARE(host.picker->color(), entryValue(highlighted, start));
}

void ColorPickerTest::cancelFiresNothing_data()
{
    QTest::addColumn<CancelGesture>("gesture");
    QTest::newRow("escape") << Escape;
    QTest::newRow("escape through the window system") << EscapeThroughWindow;
    QTest::newRow("click outside") << ClickOutside;
    QTest::newRow("click outside through the window system") << ClickOutsideThroughWindow;
    QTest::newRow("click on the picker through the window system") << ClickOnPickerThroughWindow;
    QTest::newRow("press on a cell, release outside") << PressInsideReleaseOutside;
    QTest::newRow("application deactivated") << ApplicationDeactivated;
    QTest::newRow("application state inactive") << ApplicationStateInactive;
}

void ColorPickerTest::cancelFiresNothing()
{
    QFETCH(CancelGesture, gesture);

    Host host(kRed, false);
    QSignalSpy chosen(host.picker, &ColorPicker::colorChosen);
    ColorPopup *popup = host.open();
    QVERIFY(popup);
    QTest::keyClick(popup, Qt::Key_Right); // a highlight that must not be taken
    QWindow *hostWindow = host.window->windowHandle();
    const QPoint outside(-5, popup->height() / 2);

    switch (gesture) {
    case Escape:
        QTest::keyClick(popup, Qt::Key_Escape);
        break;
    case EscapeThroughWindow:
        QTest::keyClick(hostWindow, Qt::Key_Escape);
        break;
    case ClickOutside:
        QTest::mousePress(popup, Qt::LeftButton, {}, outside);
        QVERIFY(popup->isVisible()); // the release decides
        QTest::mouseRelease(popup, Qt::LeftButton, {}, outside);
        break;
    case ClickOutsideThroughWindow:
        QTest::mouseClick(hostWindow, Qt::LeftButton, {}, QPoint(110, 5));
        break;
    case ClickOnPickerThroughWindow:
        QTest::mouseClick(hostWindow, Qt::LeftButton, {},
                          host.picker->mapTo(host.window.get(), host.picker->rect().center()));
        break;
    case PressInsideReleaseOutside:
        QTest::mousePress(popup, Qt::LeftButton, {}, popup->cellRect(3).center());
        QTest::mouseRelease(popup, Qt::LeftButton, {}, outside);
        break;
    case ApplicationDeactivated: {
        QEvent deactivate(QEvent::ApplicationDeactivate);
        QApplication::sendEvent(qApp, &deactivate);
        break;
    }
    case ApplicationStateInactive:
        emit qApp->applicationStateChanged(Qt::ApplicationInactive);
        break;
    }

    QTRY_VERIFY(!popup->isVisible());
    QVERIFY(!host.picker->isPopupOpen());
    QCOMPARE(chosen.count(), 0);
    QCOMPARE(host.picker->color(), kRed);
    QVERIFY(host.window->isVisible()); // Escape went to the popup, not to the window
    QTest::qWait(20);
    QVERIFY(!popup->isVisible()); // and nothing opened it again

    // The picker is as before: the next click opens it and a cell is taken.
    QVERIFY(host.open());
    QTest::mouseClick(popup, Qt::LeftButton, {}, popup->cellRect(0).center());
    QCOMPARE(chosen.count(), 1);
    QCOMPARE(host.picker->color(), 0u);
}

void ColorPickerTest::otherColoursDialog_data()
{
    QTest::addColumn<quint32>("start");
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QColor>("chosen");
    QTest::addColumn<QColor>("startsWith");
    QTest::addColumn<bool>("fires");
    QTest::addColumn<quint32>("expected");

    const QColor dialogDefault = QColorDialog().currentColor();
    QTest::newRow("custom colour accepted")
        << kRed << true << QColor(0x12, 0x34, 0x56) << QColor(255, 0, 0) << true << 0x00563412u;
    QTest::newRow("palette colour accepted") << kCustom << true << QColor(0, 136, 255)
                                             << QColor(0x56, 0x34, 0x12) << true << 0x00FF8800u;
    QTest::newRow("the same colour accepted again") << kCustom << true << QColor(0x56, 0x34, 0x12)
                                                    << QColor(0x56, 0x34, 0x12) << true << kCustom;
    QTest::newRow("black leaves the dialog's start")
        << 0u << true << QColor(1, 2, 3) << dialogDefault << true << 0x00030201u;
    QTest::newRow("cancelled") << kRed << false << QColor(1, 2, 3) << QColor(255, 0, 0) << false
                               << kRed;
}

void ColorPickerTest::otherColoursDialog()
{
    QFETCH(quint32, start);
    QFETCH(bool, accept);
    QFETCH(QColor, chosen);
    QFETCH(QColor, startsWith);
    QFETCH(bool, fires);
    QFETCH(quint32, expected);

    Host host(start, false);
    QSignalSpy spy(host.picker, &ColorPicker::colorChosen);
    ColorPopup *popup = host.open();
    QVERIFY(popup);
    DialogAnswer answer(accept, chosen);
    answer.picker = host.picker;
    QTest::mouseClick(popup, Qt::LeftButton, {}, popup->otherColorsRect().center());

    QVERIFY(answer.seen);
    QCOMPARE(answer.objectName, QStringLiteral("colorDialog"));
    QVERIFY(answer.nonNative);
    QCOMPARE(answer.startColor, startsWith);
    QVERIFY(answer.popupOpenMeanwhile);
    QVERIFY(!answer.popupVisibleMeanwhile);

    QCOMPARE(spy.count(), fires ? 1 : 0);
    if (fires)
        QCOMPARE(spy.at(0).at(0).value<quint32>(), expected);
    QCOMPARE(host.picker->color(), expected);
    QVERIFY(!popup->isVisible());
    QVERIFY(!host.picker->isPopupOpen());
    if (fires && colorpalette::indexOf(expected) < 0) {
        QVERIFY(host.open());
        QCOMPARE(popup->pressedEntry(), int(ColorPopup::OtherColorsEntry));
    }
}

void ColorPickerTest::transparentRowOnlyWhenAllowed()
{
    Host without(kTransparent, false);
    ColorPopup *popup = without.open();
    QVERIFY(popup);
    QVERIFY(popup->transparentRect().isEmpty());
    const int heightWithout = popup->height();
    for (int y = 0; y < popup->height(); ++y) {
        for (int x = 0; x < popup->width(); ++x)
            QVERIFY(popup->entryAt({x, y}) != ColorPopup::TransparentEntry);
    }
    QTest::keyClick(popup, Qt::Key_Escape);

    Host with(0, true);
    QSignalSpy chosen(with.picker, &ColorPicker::colorChosen);
    popup = with.open();
    QVERIFY(popup);
    const QRect row = popup->transparentRect();
    QVERIFY(!row.isEmpty());
    QVERIFY(row.bottom() < popup->cellRect(0).top());
    QCOMPARE(row.width(), popup->otherColorsRect().width());
    QVERIFY(popup->height() > heightWithout);
    QTest::mouseClick(popup, Qt::LeftButton, {}, row.center());
    QCOMPARE(chosen.count(), 1);
    QCOMPARE(chosen.at(0).at(0).value<quint32>(), kTransparent);
    QCOMPARE(with.picker->color(), kTransparent);

    QVERIFY(with.open());
    QCOMPARE(popup->pressedEntry(), int(ColorPopup::TransparentEntry));
}

void ColorPickerTest::popupStaysOnScreen_data()
{
    QTest::addColumn<QPoint>("hostPos");
    QTest::addColumn<Anchor>("horizontal");
    QTest::addColumn<Anchor>("vertical");

    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QTest::newRow("room everywhere") << area.center() - QPoint(60, 30) << AtPicker << AtPicker;
    QTest::newRow("right edge") << QPoint(area.right() - 100, area.top() + 50) << AtScreenEdge
                                << AtPicker;
    QTest::newRow("left edge") << QPoint(area.left() - 50, area.top() + 50) << AtScreenEdge
                               << AtPicker;
    QTest::newRow("bottom edge") << QPoint(area.left() + 200, area.bottom() - 60) << AtPicker
                                 << AbovePicker;
    QTest::newRow("bottom right corner")
        << QPoint(area.right() - 90, area.bottom() - 50) << AtScreenEdge << AbovePicker;
}

void ColorPickerTest::popupStaysOnScreen()
{
    QFETCH(QPoint, hostPos);
    QFETCH(Anchor, horizontal);
    QFETCH(Anchor, vertical);

    Host host(0, false, hostPos);
    ColorPopup *popup = host.open();
    QVERIFY(popup);
    const QRect area = host.picker->screen()->availableGeometry();
    const QRect picker(host.picker->mapToGlobal(QPoint(0, 0)), host.picker->size());
    const QRect shown = popup->geometry();
    QVERIFY2(area.contains(shown), qPrintable(QStringLiteral("popup at %1,%2 %3x%4")
                                                  .arg(shown.x())
                                                  .arg(shown.y())
                                                  .arg(shown.width())
                                                  .arg(shown.height())));

    switch (horizontal) {
    case AtPicker:
        QCOMPARE(shown.left(), picker.left());
        break;
    case AtScreenEdge:
        QVERIFY(shown.left() == area.left() || shown.right() == area.right());
        QVERIFY(shown.left() != picker.left());
        break;
    case AbovePicker:
        QFAIL("no such horizontal place");
    }
    if (vertical == AbovePicker)
        QCOMPARE(shown.bottom(), picker.top() - 1);
    else
        QCOMPARE(shown.top(), picker.bottom() + 1);
}

void ColorPickerTest::cellTooltipsAreNames_data()
{
    QTest::addColumn<int>("cell");
    QTest::addColumn<QString>("name");
    QTest::newRow("first") << 0 << QStringLiteral("黑色");
    QTest::newRow("red") << 12 << QStringLiteral("红色");
    QTest::newRow("sky blue") << 25 << QStringLiteral("天蓝");
    QTest::newRow("last") << 31 << QStringLiteral("深灰");
}

void ColorPickerTest::cellTooltipsAreNames()
{
    QFETCH(int, cell);
    QFETCH(QString, name);

    Host host(0, false);
    ColorPopup *popup = host.open();
    QVERIFY(popup);
    const QPoint pos = popup->cellRect(cell).center();
    QHelpEvent help(QEvent::ToolTip, pos, popup->mapToGlobal(pos));
    QApplication::sendEvent(popup, &help);
    QTRY_COMPARE(QToolTip::text(), name);
    QTest::keyClick(popup, Qt::Key_Escape);
    QToolTip::hideText();
}

void ColorPickerTest::faceShowsColourAndOpenState()
{
    Host host(0, false);
    ColorPicker *picker = host.picker;
    const QPoint inSwatch(12, picker->height() / 2);
    const QRect arrow(picker->width() - 18, 2, 16, picker->height() - 4);

    const QImage closed = picker->grab().toImage();
    QCOMPARE(closed.pixelColor(inSwatch), QColor(Qt::black));

    ColorPopup *popup = host.open();
    QVERIFY(popup);
    const QImage open = picker->grab().toImage();
    QVERIFY(open.copy(arrow) != closed.copy(arrow));

    QTest::mouseClick(popup, Qt::LeftButton, {}, popup->cellRect(25).center());
    const QImage after = picker->grab().toImage();
    QCOMPARE(after.pixelColor(inSwatch), QColor(0, 136, 255));
    QCOMPARE(after.copy(arrow), closed.copy(arrow));

    Host transparent(kTransparent, true);
    const QImage clear = transparent.picker->grab().toImage();
    QCOMPARE(clear.pixelColor(inSwatch), QColor(Qt::white));
}

void ColorPickerTest::oneReusedPopup()
{
    Host host(kRed, false);
    ColorPopup *popup = host.open();
    QVERIFY(popup);
    QTest::keyClick(popup, Qt::Key_Right);

    // A release the picker might still get while its popup is up opens no second one.
    QTest::mouseClick(host.picker, Qt::LeftButton);
    QCOMPARE(popup->highlightedEntry(), 13);
    QCOMPARE(host.picker->findChildren<ColorPopup *>().size(), 1);
    QTest::keyClick(popup, Qt::Key_Escape);

    QCOMPARE(host.open(), popup);
    QCOMPARE(popup->highlightedEntry(), int(ColorPopup::NoEntry));
    QCOMPARE(host.picker->findChildren<ColorPopup *>().size(), 1);
}

QTEST_MAIN(ColorPickerTest)
#include "tst_colorpicker.moc"
