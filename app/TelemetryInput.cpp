// Bytes in, flight data record out.
#include "app/TelemetryInput.h"

#include "app/ErrorReporter.h"
#include "app/Stats.h"

namespace velmora {

TelemetryInput::TelemetryInput(FlightData& flight, RunStats* stats, ErrorReporter* reporter,
                               ArrivalRecorder* recorder)
    : flight_(flight), stats_(stats), reporter_(reporter), recorder_(recorder) {}

// One message scanned: counted for the run statistics and the link status.
void TelemetryInput::Counted(const Arrival& arrival, const TelemetryError* error) {
  if (stats_) stats_->MessageHandled(arrival.received, error == nullptr);
  if (error) {
    ++status_.rejected;
    NoteError(arrival.peer, error->message, error->field);
    return;
  }
  ++status_.applied;
  status_.lastApplied = arrival.received;
  status_.lastSender.assign(arrival.peer);
}

void TelemetryInput::NoteError(std::string_view peer, std::string_view message, int field) {
  auto& e = status_.errors;
  for (std::size_t i = e.size() - 1; i > 0; --i) e[i].swap(e[i - 1]);
  e[0].assign(peer);
  e[0] += ": ";
  if (field > 0) e[0] += "field " + std::to_string(field) + ": ";
  e[0] += message;
  if (status_.errorCount < e.size()) ++status_.errorCount;
}

std::optional<TelemetryError> TelemetryInput::ReceiveDatagram(const Arrival& arrival) {
  if (recorder_) recorder_->Write(arrival);
  auto error = ApplyDatagram(flight_, arrival.bytes, scan_);
  Counted(arrival, error ? &*error : nullptr);
  return error;
}

std::optional<TelemetryError> TelemetryInput::Feed(std::string_view bytes) {
  return ReceiveDatagram(Arrival{Transport::Udp, 0, bytes, std::chrono::steady_clock::now(), "--feed"});
}

void TelemetryInput::Received(const Arrival& arrival) {
  if (arrival.transport == Transport::Udp) {
    const auto error = ReceiveDatagram(arrival);
    if (error && reporter_) reporter_->ReportTelemetryError(Transport::Udp, arrival.peer, error->message, error->field);
    return;
  }
  if (recorder_) recorder_->Write(arrival);
  TcpStreamFramer& framer = framers_.try_emplace(arrival.connection, scan_).first->second;
  framer.FeedEach(arrival.bytes, flight_, [&](const TcpStreamFramer::Outcome& o) {
    if (o.scanned)
      Counted(arrival, o.error);
    else if (o.error) {
      ++status_.rejected;
      NoteError(arrival.peer, o.error->message, o.error->field);
    }
    if (o.error && reporter_)
      reporter_->ReportTelemetryError(arrival.transport, arrival.peer, o.error->message, o.error->field);
  });
}

void TelemetryInput::ConnectionClosed(std::uint32_t connection) {
  framers_.erase(connection);
  if (recorder_) recorder_->Closed(connection, std::chrono::steady_clock::now());
}

void TelemetryInput::ConnectionFailed(std::uint32_t, std::string_view peer, const std::string& message) {
  NoteError(peer, message);
  if (reporter_) reporter_->ReportTelemetryError(Transport::Tcp, peer, message);
}

void TelemetryInput::DatagramTooLarge(std::string_view peer, std::size_t size,
                                      std::chrono::steady_clock::time_point received) {
  if (stats_) stats_->MessageHandled(received, false);
  ++status_.rejected;
  const std::string message = "datagram of " + std::to_string(size) + " bytes dropped: at most " +
                              std::to_string(TelemetryListeners::kMaxDatagram) + " bytes are read";
  NoteError(peer, message);
  if (reporter_) reporter_->ReportTelemetryError(Transport::Udp, peer, message);
}

}  // namespace velmora
