#include "server_object.h"

#include "data_file.h"
#include "property_bag.h"

#include <algorithm>
#include <exception>

namespace tarvex {

namespace {

QString describe(const std::exception& e) {
    return QString::fromUtf8(e.what());
}

QString moduleKey(int position) {
    return QStringLiteral("Module%1").arg(position);
}

} // namespace

ServerObject::ServerObject(Collaborators collaborators, QString dataFilePath, QObject* parent)
    : QObject(parent), mCollab(std::move(collaborators)), mDataFilePath(std::move(dataFilePath)) {}

void ServerObject::report(const QString& message) {
    emit errorOccurred(message);
}

void ServerObject::StartServer() {
    if (mHub)
        StopServer();
    LoadModules();
    if (!mLoadProblem.isEmpty())
        report(mLoadProblem);
    for (std::size_t i = 0; i < mModules->size(); ++i) {
        const ModulePtr& m = (*mModules)[i];
        if (!m)
            continue;
        try {
            m->Initialize(mHub, static_cast<std::int16_t>(i));
        } catch (const std::exception& e) {
            report(tr("Amplifier %1 could not be started: %2").arg(i + 1).arg(describe(e)));
        }
    }
    if (mCollab.viewHost)
        mCollab.viewHost(*mModules, mHub);
    emit Started();
}

void ServerObject::StopServer() {
    if (mModules) {
        emit Stopping();
        for (const ModulePtr& m : *mModules) {
            if (!m)
                continue;
            try {
                m->Terminate();
            } catch (const std::exception& e) {
                report(tr("An amplifier did not stop cleanly: %1").arg(describe(e)));
            }
        }
    }
    mHub.reset();
    mModules.reset();
}

void ServerObject::LoadModules() {
    mModules.emplace();
    mHub = Hub::create();
    mLoadProblem.clear();
    QString problem;
    const auto record = data_file::readRecord(mDataFilePath, &problem);
    mFileUnread = !problem.isEmpty();
    if (mFileUnread) {
        mLoadProblem = tr("The amplifier list %1 could not be read (%2). No amplifiers are served, "
                          "and the file is left as it is unless a list is saved from Configure.")
                           .arg(mDataFilePath, problem);
        return;
    }
    if (!record)
        return;
    std::int64_t declared = 0;
    *mModules = readModuleList(*record, mCollab.driverFactory, &declared);
    const auto loaded = static_cast<std::int64_t>(mModules->size());
    if (loaded == kMaxModules && declared > kMaxModules) {
        mLoadProblem = tr("The amplifier list %1 lists %2 more amplifiers than the %3 that can be "
                          "served; they were not loaded.")
                           .arg(mDataFilePath)
                           .arg(declared - kMaxModules)
                           .arg(kMaxModules);
    } else if (declared != loaded) {
        // Saving from Configure would drop what could not be read, so the user must know.
        mLoadProblem = tr("The amplifier list %1 is damaged: only the first %2 of its amplifiers "
                          "could be read. Saving from Configure would leave the rest out.")
                           .arg(mDataFilePath)
                           .arg(loaded);
    }
}

ModuleList ServerObject::readModuleList(const QByteArray& record, const DriverFactory& factory,
                                        std::int64_t* declared) {
    // Nothing is reported: the first failure ends loading and keeps what was read.
    ModuleList modules;
    PropertyBag bag;
    bag.setContents(record); // a damaged bag still yields the entries before the damage
    std::int64_t count = 0;
    try {
        count = bag.ReadProperty(QStringLiteral("NumModules"), std::int16_t{0}).toLong();
    } catch (const VariantError&) {
        count = -1; // no count that can be read: nothing to load, and it is damage
    }
    if (declared)
        *declared = count;
    for (std::int64_t position = 1; position <= std::min<std::int64_t>(count, kMaxModules);
         ++position) {
        const Variant entry = bag.ReadProperty(moduleKey(position));
        // A zero-length block is no module's settings: it ends loading like a missing one.
        if (entry.type() != Variant::Type::Bytes || entry.toBytes().isEmpty())
            return modules;
        PropertyBag moduleBag;
        if (!moduleBag.setContents(entry.toBytes()))
            return modules;
        moduleBag.cutTexts(kMaxTextLength);
        ModulePtr module;
        try {
            module = factory ? factory() : nullptr;
        } catch (const std::exception&) {
            return modules;
        }
        if (!module)
            return modules;
        try {
            module->ReadProps(moduleBag);
        } catch (const std::exception&) {
            modules.push_back(std::move(module));
            return modules;
        }
        modules.push_back(std::move(module));
    }
    return modules;
}

bool ServerObject::writeModuleList(const QString& path, const ModuleList& modules,
                                   QString* errorText, QStringList* moduleErrors) {
    return data_file::writeRecord(path, moduleListRecord(modules, moduleErrors), errorText);
}

QByteArray ServerObject::moduleListRecord(const ModuleList& modules, QStringList* moduleErrors) {
    PropertyBag bag;
    bag.WriteProperty(QStringLiteral("NumModules"), static_cast<std::int32_t>(modules.size()),
                      std::int32_t{0});
    int position = 0;
    for (const ModulePtr& m : modules) {
        ++position;
        PropertyBag moduleBag;
        if (m) {
            try {
                m->WriteProps(moduleBag);
            } catch (const std::exception& e) {
                if (moduleErrors)
                    *moduleErrors << tr("The settings of amplifier %1 could not be saved: %2")
                                         .arg(position)
                                         .arg(describe(e));
            }
        }
        bag.WriteProperty(moduleKey(position), moduleBag.Contents());
    }
    return bag.Contents();
}

bool ServerObject::SaveModules() {
    if (!mModules)
        return true;
    QString error;
    QStringList moduleErrors;
    const bool written = writeModuleList(mDataFilePath, *mModules, &error, &moduleErrors);
    for (const QString& e : moduleErrors)
        report(e);
    if (!written) {
        report(tr("The amplifier list could not be saved to %1: %2. The previous list is kept.")
                   .arg(mDataFilePath, error));
    }
    return written;
}

void ServerObject::mnuEdit_Click() {
    StopServer();
    LoadModules();
    bool save = false;
    if (mCollab.listEditor) {
        try {
            save = mCollab.listEditor(*mModules);
        } catch (const std::exception& e) {
            report(tr("The amplifier list could not be edited: %1").arg(describe(e)));
        }
    }
    // An empty list in place of a file that could not be read is no choice of the user's: the
    // dialog's OK alone must not replace what may still be their list.
    if (save && !(mFileUnread && mModules->empty()))
        SaveModules();
    LoadModules();
    StartServer();
}

} // namespace tarvex
