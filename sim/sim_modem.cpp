#include "sim/sim_modem.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <algorithm>
#include <cmath>
#include <sstream>

namespace {

constexpr std::size_t kLongLineBytes = 100000;

bool starts_with(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

}  // namespace

void SimModem::send(const std::string& text, std::int64_t now_ms) {
    double at = std::max(double(now_ms), line_free_at_);
    for (const char c : text) {
        at += kCharMs;
        output_.push_back({std::llround(at), static_cast<std::uint8_t>(c)});
    }
    line_free_at_ = at;
}

std::vector<ScheduledByte> SimModem::take_output() {
    std::vector<ScheduledByte> out;
    out.swap(output_);
    return out;
}

void SimModem::receive_byte(std::uint8_t byte, std::int64_t now_ms) {
    if (data_mode_ && byte == '+') {
        // Three escape characters in a row bring the modem back to command mode, line held.
        if (++pluses_ == 3) {
            data_mode_ = false;
            pluses_ = 0;
            buffer_.clear();
            send("\r\nOK\r\n", now_ms);
        }
        return;
    }
    pluses_ = 0;
    if (byte == '+') return;  // an escape sent while already in command mode
    if (byte == '\r' || byte == '\n') {
        const std::string text = buffer_;
        buffer_.clear();
        if (text.empty()) return;
        if (data_mode_)
            request(text, now_ms);
        else
            command(text, now_ms);
        return;
    }
    buffer_.push_back(static_cast<char>(byte));
    // The recorder sends its hang-up without a line end.
    if (!data_mode_ && buffer_ == "ATH") {
        buffer_.clear();
        command("ATH", now_ms);
    }
}

void SimModem::command(const std::string& text, std::int64_t now_ms) {
    if (text == "ATZ") {
        send("\r\nOK\r\n", now_ms);
    } else if (starts_with(text, "ATDT")) {
        ++calls_;
        sent_in_call_ = 0;
        if (faults_enabled_ && faults_.no_connect) return;
        online_ = data_mode_ = true;
        send("\r\nCONNECT 9600\r\n", now_ms + connect_delay_ms_);
    } else if (text == "ATH") {
        if (online_) ++hang_ups_;
        online_ = data_mode_ = false;
        send("\r\nOK\r\n", now_ms);
    } else {
        send("\r\nERROR\r\n", now_ms);
    }
}

void SimModem::request(const std::string& text, std::int64_t now_ms) {
    if (text == "HELLO") {
        send("\r\nHI THERE\r\n", now_ms);
    } else if (text == "STARTREC?") {
        send("\r\n" + std::to_string(first_record_) + "\r\n", now_ms);
    } else if (text == "LASTREC?") {
        send("\r\n" + std::to_string(last_record_) + "\r\n", now_ms);
    } else if (starts_with(text, "CLOCK_UTCS=")) {
        clock_set_to_ = QByteArray::fromStdString(text.substr(11)).toLongLong();
    } else if (starts_with(text, "DOWNLD ")) {
        downloads_.push_back(text);
        std::istringstream in(text.substr(7));
        int after = 0, count = 0, columns = 0;
        in >> after >> count >> columns;
        download(after, count, columns, now_ms);
    }
}

void SimModem::download(int after, int count, int columns, std::int64_t now_ms) {
    for (int n = std::max(after + 1, first_record_); n <= std::min(after + count, last_record_); ++n) {
        if (faults_enabled_ && faults_.carrier_lost_after >= 0 &&
            sent_in_call_ >= faults_.carrier_lost_after) {
            faults_.carrier_lost_after = -1;
            online_ = data_mode_ = false;
            send("\r\nNO CARRIER\r\n", now_ms);
            return;
        }
        if (faults_enabled_ && faults_.cut_line_after >= 0 && sent_in_call_ >= faults_.cut_line_after) {
            // The carrier drops half-way through a line.
            faults_.cut_line_after = -1;
            online_ = data_mode_ = false;
            const std::string line = record_line(n, columns);
            send(line.substr(0, line.size() / 2) + "\r\nNO CARRIER\r\n", now_ms);
            return;
        }
        if (faults_enabled_ && faults_.skip_after >= 0 && sent_in_call_ == faults_.skip_after) {
            faults_.skip_after = -1;
            continue;
        }
        if (faults_enabled_ && faults_.long_line_after >= 0 && sent_in_call_ == faults_.long_line_after) {
            faults_.long_line_after = -1;
            send(record_line(n, columns) + std::string(kLongLineBytes, '7') + "\r\n", now_ms);
            continue;
        }
        if (faults_enabled_ && faults_.garbage_lines) send("\r\nRING\r\n#~x?,,3\r\n", now_ms);
        send(record_line(n, columns) + "\r\n", now_ms);
        ++sent_in_call_;
        if (faults_enabled_ && faults_.repeat_after >= 0 && sent_in_call_ == faults_.repeat_after) {
            faults_.repeat_after = -1;
            send(record_line(n, columns) + "\r\n", now_ms);
        }
    }
}

std::string SimModem::record_line(int number, int columns) const {
    const QDateTime taken =
        QDateTime::fromSecsSinceEpoch(first_time_s_ + qint64(number) * interval_s_, Qt::UTC);
    QString line = QString::number(number) + QLatin1Char(',') +
                   taken.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")) + QLatin1Char(',');
    for (int k = 3; k <= columns; ++k)
        line += QLatin1Char(',') + QString::number(number + (k - 3) / 4.0, 'f', 2);
    return line.toStdString();
}
