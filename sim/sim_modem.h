#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/sim_peer.h"

// A GSM modem with a remote logger behind it, as the recorder's dial-out call meets them: AT
// commands in command mode ("ATZ", "ATDT <number>", "ATH"), "CONNECT" after a set delay, then
// the logger's dialogue ("HELLO", "STARTREC?", "LASTREC?", "CLOCK_UTCS=", "DOWNLD r n c") until
// "+++" returns to command mode. The logger holds the records first..last; record n was taken
// at first_time + n * interval. Bytes come in with the time they were sent; what goes out is
// taken as bytes scheduled at 9600 baud. No I/O and no clock of its own.
// Thread: whoever owns it; the in-process adapter serialises access.
class SimModem : public SimPeer {
  public:
    static constexpr double kCharMs = 10.0 * 1000.0 / 9600.0;

    // Faults on demand. A lost carrier, a repeat and a cut line fire once and are then cleared.
    struct Faults {
        bool no_connect = false;      // the dialled number never answers
        int carrier_lost_after = -1;  // "NO CARRIER" after this many records of a call
        bool garbage_lines = false;   // a "RING" and a garbled line before every record
        int repeat_after = -1;        // the K-th record line of a call is sent twice
        int cut_line_after = -1;      // the line after K records of a call is cut, then "NO CARRIER"
        int long_line_after = -1;     // the line after K records of a call is 100 kB long
        int skip_after = -1;          // the record after K records of a call is not sent (the logger lost it)
    };

    void set_connect_delay_ms(std::int64_t ms) { connect_delay_ms_ = ms; }
    void set_records(int first, int last) {
        first_record_ = first;
        last_record_ = last;
    }
    void set_record_times(std::int64_t first_time_s, int interval_s) {
        first_time_s_ = first_time_s;
        interval_s_ = interval_s;
    }
    void set_faults(const Faults& faults) { faults_ = faults; }
    // Switches the faults set off and on again (a lost carrier that fired stays cleared).
    void set_faults_enabled(bool on) override { faults_enabled_ = on; }
    bool faults_enabled() const override { return faults_enabled_; }

    void receive_byte(std::uint8_t byte, std::int64_t now_ms) override;
    // The bytes scheduled since the last call, in time order.
    std::vector<ScheduledByte> take_output() override;

    // "n,yyyy-mm-dd hh:mm:ss,,v3,...,vc": the date and time share field 1, field 2 stays
    // empty, column k of record n holds n + (k - 3) / 4.
    std::string record_line(int number, int columns) const;

    int calls() const { return calls_; }
    int hang_ups() const { return hang_ups_; }
    bool online() const { return online_; }
    std::int64_t clock_set_to() const { return clock_set_to_; }
    // Every DOWNLD request the logger answered, as it came.
    const std::vector<std::string>& downloads() const { return downloads_; }

  private:
    void command(const std::string& text, std::int64_t now_ms);
    void request(const std::string& text, std::int64_t now_ms);
    void download(int after, int count, int columns, std::int64_t now_ms);
    void send(const std::string& text, std::int64_t now_ms);

    double line_free_at_ = -1e18;  // when the last scheduled byte has arrived
    std::vector<ScheduledByte> output_;
    std::string buffer_;
    int pluses_ = 0;
    bool online_ = false;     // a call is connected
    bool data_mode_ = false;  // bytes go to the logger, not to the modem
    int calls_ = 0;
    int hang_ups_ = 0;
    int sent_in_call_ = 0;
    std::int64_t connect_delay_ms_ = 15000;
    int first_record_ = 1;
    int last_record_ = 0;
    std::int64_t first_time_s_ = 0;
    int interval_s_ = 600;
    std::int64_t clock_set_to_ = -1;
    Faults faults_;
    bool faults_enabled_ = true;
    std::vector<std::string> downloads_;
};
