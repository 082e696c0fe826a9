// Passes every character typed into a text box through a filter that may replace
// or discard it (filterDecimalKey, filterHexadecimalKey).
#pragma once

#include <QObject>

namespace kestrom::mainwindow {

class KeyFilterHook : public QObject {
public:
    using Filter = char16_t (*)(char16_t);
    KeyFilterHook(QObject *parent, Filter filter) : QObject(parent), filter_(filter) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Filter filter_;
};

}  // namespace kestrom::mainwindow
