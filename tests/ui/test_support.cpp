#include "test_support.h"

#include "core/data_file.h"

#include <QDir>
#include <QSettings>

namespace tarvex::test {

PanelRegistry fakeRegistry(const CallLogPtr& log, int mainHeight) {
    PanelRegistry registry;
    const std::pair<const char*, QSize> panels[] = {
        {PanelRegistry::kBannerControl, {2100, 600}},
        {PanelRegistry::kMeterControl, {3000, 1500}},
        {PanelRegistry::kTuneControl, {3000, 1200}},
        {PanelRegistry::kMainControl, {3300, mainHeight}},
    };
    for (const auto& [name, size] : panels) {
        const QString className = QLatin1String(name);
        registry.registerPanel(className, [=](QWidget* parent) {
            return new FakePanel(parent, className, size, log);
        });
    }
    return registry;
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

std::unique_ptr<frmMain> MainWindowTest::makeWindow(int amplifiers, int mainHeight) {
    PropertyBag bag;
    bag.WriteProperty(QStringLiteral("NumModules"), std::int32_t{amplifiers}, std::int32_t{0});
    for (int i = 1; i <= amplifiers; ++i) {
        PropertyBag module;
        module.WriteProperty(QStringLiteral("DeviceName"), QStringLiteral("amp%1").arg(i));
        bag.WriteProperty(QStringLiteral("Module%1").arg(i), module.Contents());
    }
    QString error;
    EXPECT_TRUE(data_file::writeRecord(QStringLiteral("server.dat"), bag.Contents(), &error))
        << error.toStdString();
    CallLogPtr driverLog = log;
    return std::make_unique<frmMain>([driverLog] { return std::make_shared<FakeDriver>(driverLog); },
                                     ServerObject::ListEditor{}, fakeRegistry(log, mainHeight));
}

} // namespace tarvex::test
