#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

struct mosquitto;

// One connection to an MQTT broker (MQTT 3.1.1 over libmosquitto), driven by its owner's
// thread: nothing runs in the background. `run()` reads and writes what the socket allows and
// collects the broker's answers (the connection acknowledgement, the acknowledged messages and
// the end of the connection) for the owner to take. Each connect starts a fresh session, so
// nothing the library kept from an earlier connection is sent again behind the owner's back.
// Thread: the owner's (the publisher's worker thread).
class MqttClient {
  public:
    struct Options {
        QString host;
        int port = 1883;
        QString client_id;
        QString username;
        QString password;
        bool with_password = false;
        QString ca_file;  // TLS when set
        QByteArray will_topic;
        QByteArray will_payload;
        int will_qos = 1;
        int max_in_flight = 100;
        int keepalive_seconds = 30;
    };
    // What a connect or run came to.
    struct Outcome {
        bool ok = true;
        bool tls_setup = false;  // the CA file could not be used
        QString reason;          // "Connection refused"
    };

    MqttClient();
    ~MqttClient();
    MqttClient(const MqttClient&) = delete;
    MqttClient& operator=(const MqttClient&) = delete;

    // Starts connecting; the broker's answer comes through run() and take_connack().
    Outcome connect(const Options& options);
    // Sends DISCONNECT after what is queued; the broker then drops the last will.
    void disconnect();
    // Closes the socket at once without DISCONNECT: the broker sends the last will.
    void drop();
    bool connected_socket() const;

    // Queues a message; `mid` receives its message id. False when there is no connection.
    bool publish(const QByteArray& topic, const QByteArray& payload, int qos, bool retain, int* mid);

    // Reads and writes what the socket allows now, handles keep-alive, and calls back.
    Outcome run();
    // The socket to wait on, -1 when none, and whether it waits to be written.
    int socket() const;
    bool wants_write() const;

    // The connection acknowledgement's code (0 accepted), once; -1 while none came.
    int take_connack();
    // The ids of the messages the broker took (QoS 1) or that were written (QoS 0).
    std::vector<int> take_published();
    // The connection ended since the last call.
    bool take_disconnected();

    // The text for a refusal code: "not authorised".
    static QString connack_text(int code);

  private:
    static void on_connect(mosquitto*, void* self, int rc);
    static void on_disconnect(mosquitto*, void* self, int rc);
    static void on_publish(mosquitto*, void* self, int mid);

    mosquitto* mosq_ = nullptr;
    int connack_ = -1;
    std::vector<int> published_;
    bool disconnected_ = false;
};
