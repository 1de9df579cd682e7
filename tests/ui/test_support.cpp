#include "test_support.h"

#include "core/data_file.h"

#include <QSettings>

namespace tarvex::test {

PanelRegistry fakeRegistry(const CallLogPtr& log) {
    PanelRegistry registry;
    const std::pair<const char*, QSize> panels[] = {
        {PanelRegistry::kBannerControl, kBannerTwips},
        {PanelRegistry::kMeterControl, kMeterTwips},
        {PanelRegistry::kTuneControl, kTuneTwips},
        {PanelRegistry::kMainControl, kMainTwips},
    };
    for (const auto& [name, size] : panels) {
        const QString className = QLatin1String(name);
        registry.registerPanel(className, [=](QWidget* parent) {
            return new FakePanel(parent, className, size, log);
        });
    }
    return registry;
}

void writeServerFile(int count) {
    PropertyBag bag;
    bag.WriteProperty(QStringLiteral("NumModules"), std::int32_t{count}, std::int32_t{0});
    for (int i = 1; i <= count; ++i) {
        PropertyBag module;
        module.WriteProperty(QStringLiteral("DeviceName"), QStringLiteral("amp%1").arg(i));
        bag.WriteProperty(QStringLiteral("Module%1").arg(i), module.Contents());
    }
    QString error;
    ASSERT_TRUE(data_file::writeRecord(QStringLiteral("server.dat"), bag.Contents(), &error))
        << error.toStdString();
}

void MainWindowTest::SetUp() {
    ASSERT_TRUE(mDir.isValid());
    mPreviousDir = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(mDir.path()));
    QSettings(QStringLiteral("Tarvex"), QStringLiteral("Tarvex")).clear();
}

void MainWindowTest::TearDown() {
    QSettings(QStringLiteral("Tarvex"), QStringLiteral("Tarvex")).clear();
    QDir::setCurrent(mPreviousDir);
}

std::unique_ptr<frmMain> MainWindowTest::makeWindow(int amplifiers) {
    return makeWindow(amplifiers, fakeRegistry(log));
}

std::unique_ptr<frmMain> MainWindowTest::makeWindow(int amplifiers, PanelRegistry panels) {
    if (amplifiers > 0)
        writeServerFile(amplifiers);
    CallLogPtr driverLog = log;
    return std::make_unique<frmMain>(
        [driverLog] { return std::make_shared<FakeDriver>(driverLog); }, ServerObject::ListEditor{},
        std::move(panels));
}

int widthTwips(const QWidget* w) {
    return Twips::fromPixelsX(w->width(), w);
}
int clientHeightTwips(const frmMain& w) {
    return Twips::fromPixelsY(w.clientHeight(), &w);
}
QPoint posTwips(const QWidget* view) {
    return {Twips::fromPixelsX(view->x(), view), Twips::fromPixelsY(view->y(), view)};
}

} // namespace tarvex::test
