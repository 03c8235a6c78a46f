#pragma once

#include <QIcon>
#include <QWidget>

class QLabel;
class QPushButton;

namespace tobrin {

// The About box: a small window of its own (not a child of the frame's
// workspace, not modal) naming the program, its version and its authors.
// "OK" closes and deletes it.
class About : public QWidget {
    Q_OBJECT
public:
    explicit About(QWidget* parent = nullptr);

    // The program's icon in all its sizes up to largest pixels.
    static QIcon AppIcon(int largest = 256);
    // Adds the program icon's sizes above smaller and up to largest pixels.
    static void AddAppIconSizes(QIcon& icon, int smaller, int largest);

    QPushButton* UnloadAbout() const { return unloadAbout_; }

    void UnloadAbout_Click();

private:
    QPushButton* unloadAbout_ = nullptr;
};

}  // namespace tobrin
