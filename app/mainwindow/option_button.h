// Option buttons whose set may hold no selection: a click selects, never clears;
// the program may clear one. Selecting one clears the others of its set.
#pragma once

#include <QRadioButton>
#include <vector>

namespace kestrom::mainwindow {

class OptionButton : public QRadioButton {
public:
    explicit OptionButton(const QString &caption, QWidget *parent = nullptr);

protected:
    void nextCheckState() override;
};

// Keeps at most one of its options selected.
class OptionSet : public QObject {
public:
    explicit OptionSet(QObject *parent) : QObject(parent) {}
    void add(OptionButton *option);

private:
    std::vector<OptionButton *> options_;
};

}  // namespace kestrom::mainwindow
