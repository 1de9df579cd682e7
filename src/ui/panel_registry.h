#pragma once

#include <QHash>
#include <QString>

#include <functional>

class QWidget;

namespace tarvex {

// Makes the main window's panels by class name. A factory returns a widget that also implements
// tarvex::Module. The app fills one registry and hands it to the main window; tests register
// stand-ins under the same names.
class PanelRegistry {
public:
    using Factory = std::function<QWidget*(QWidget* parent)>;

    static constexpr const char* kMainControl = "Tarvex.MainControl";
    static constexpr const char* kMeterControl = "Tarvex.MeterControl";
    static constexpr const char* kTuneControl = "Tarvex.TuneControl";
    static constexpr const char* kBannerControl = "Tarvex.BannerControl";

    // Replaces any factory already registered under that name (names compare exactly).
    void registerPanel(const QString& className, Factory factory);
    bool contains(const QString& className) const { return mFactories.contains(className); }

    // Null for an unknown class name or a factory that failed. The created widget remembers its
    // class name (classNameOf).
    QWidget* create(const QString& className, QWidget* parent) const;

    // The class name a widget was created under; empty for widgets made elsewhere.
    static QString classNameOf(const QWidget* view);
    static bool isBanner(const QWidget* view);

private:
    QHash<QString, Factory> mFactories;
};

} // namespace tarvex
