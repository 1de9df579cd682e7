#include "run_services.h"

#include "run_options.h"

namespace tarvex {

RunServices::RunServices(ServerObject& server, UserSink& sink, const RunOptions& options)
    : mHistory(server, sink, options.data.file(QStringLiteral("history.db")), options.historyDays),
      mStation(server, sink, options.station), mAlarms(server, sink, mStation.links()),
      mRemote(server, sink, options.remote, mHistory.recorder()),
      mMqtt(server, sink, options.mqtt, mHistory.recorder()) {}

} // namespace tarvex
