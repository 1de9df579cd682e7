#pragma once

#include "hub.h"
#include "module.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

namespace tarvex {

// Owns the hub and the amplifier list of a run: loads the list from the data file, starts and
// stops the modules, asks the view host for panels, and carries out the configure command.
// Its collaborators are handed in so that the core knows neither drivers nor windows.
class ServerObject : public QObject {
    Q_OBJECT

public:
    // Loading stops after this many amplifiers, and cuts longer names and settings texts: the
    // window has room for no more, and a hostile file must not cost more.
    static constexpr int kMaxModules = 64;
    static constexpr qsizetype kMaxTextLength = 256;

    using DriverFactory = std::function<ModulePtr()>;
    using ViewHost = std::function<void(const ModuleList& mcollModules, const HubPtr& theHub)>;
    // Edits the list in place; returns whether it is to be saved.
    using ListEditor = std::function<bool(ModuleList& modules)>;

    struct Collaborators {
        DriverFactory driverFactory;
        ViewHost viewHost;
        ListEditor listEditor;
    };

    explicit ServerObject(Collaborators collaborators,
                          QString dataFilePath = QStringLiteral("server.dat"),
                          QObject* parent = nullptr);

    void StartServer();
    void StopServer();

    const HubPtr& hub() const { return mHub; }
    // Null while nothing is loaded.
    const ModuleList* modules() const { return mModules ? &*mModules : nullptr; }
    const QString& dataFilePath() const { return mDataFilePath; }

    // Writes a module list as the data file, atomically. Returns false with errorText when the
    // file could not be written; a module whose settings could not be written is stored
    // without them and its problem is added to moduleErrors.
    static bool writeModuleList(const QString& path, const ModuleList& modules, QString* errorText,
                                QStringList* moduleErrors = nullptr);

    // The same list as a data record in memory, for readers that have no file (the fuzz
    // targets): what writeModuleList stores, and the modules a record yields as loading reads
    // them, each made by the factory; the first damaged entry ends the list. Entries beyond
    // kMaxModules are not read. declared receives the count the record promises (-1 when it
    // cannot be read), so that a caller can tell a whole list from what damage left of one.
    static QByteArray moduleListRecord(const ModuleList& modules,
                                       QStringList* moduleErrors = nullptr);
    static ModuleList readModuleList(const QByteArray& record, const DriverFactory& factory,
                                     std::int64_t* declared = nullptr);

public slots:
    // The main window's "&Configure..." command.
    void mnuEdit_Click();

signals:
    // A failure the user should hear of (a save that did not happen, a module that failed).
    void errorOccurred(const QString& message);
    // The modules run on a new hub; and they are about to stop, the hub with them. Others
    // that meet the amplifiers through items (the station links) follow these.
    void Started();
    void Stopping();

private:
    void LoadModules();
    // Returns false (after reporting) when the file could not be written.
    bool SaveModules();
    void report(const QString& message);

    Collaborators mCollab;
    QString mDataFilePath;
    HubPtr mHub;
    std::optional<ModuleList> mModules;
    // Why the last load left amplifiers out, for the user; empty when it did not.
    QString mLoadProblem;
    // The file was there but could not be read: the empty list stands in for one unknown.
    bool mFileUnread = false;
};

} // namespace tarvex
