// Seeded random sessions of user actions on the main window, each step checked against the
// session model. A failing session prints its seed and its steps; SESSION_SEED=<seed> plays
// that one session alone, SESSION_STEPS=<n> sets how many steps a session plays, and
// SESSION_TRACE=1 prints each step as it is played.

#include <QTest>

#include "../testing/sessionplayer.h"
#include "shell/appstate.h"
#include "shell/mainwindow.h"

namespace {

constexpr int kSessions = 40;
constexpr int kStepsPerSession = 80;

int stepsPerSession()
{
    bool ok = false;
    const int steps = qEnvironmentVariableIntValue("SESSION_STEPS", &ok);
    return ok && steps > 0 ? steps : kStepsPerSession;
}

} // namespace

class SessionTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void playedSessionMatchesModel_data();
    void playedSessionMatchesModel();

private:
    AppState m_state;
    std::unique_ptr<MainWindow> m_window;
};

void SessionTest::init()
{
    m_state.highlight = createHighlightFormat();
    m_state.findCursor = 0;
    m_window = std::make_unique<MainWindow>(m_state);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void SessionTest::cleanup()
{
    m_window.reset();
}

void SessionTest::playedSessionMatchesModel_data()
{
    QTest::addColumn<quint64>("seed");
    bool replay = false;
    const qulonglong only = qEnvironmentVariable("SESSION_SEED").toULongLong(&replay);
    if (replay) {
        QTest::addRow("seed %llu", only) << quint64(only);
        return;
    }
    // The seed picks the kind of text most pastes bring, so every kind leads in as many
    // sessions.
    for (quint64 seed = 1; seed <= kSessions; ++seed) {
        QTest::addRow("seed %llu, mostly %s", seed,
                      sessiontexts::kindName(sessiontexts::Kind(seed % sessiontexts::kKindCount)))
            << seed;
    }
}

void SessionTest::playedSessionMatchesModel()
{
    QFETCH(quint64, seed);
    session::Player player(*m_window, m_state, seed);
    const int steps = stepsPerSession();
    const bool trace = qEnvironmentVariableIsSet("SESSION_TRACE");
    for (int step = 1; step <= steps; ++step) {
        const qsizetype logged = player.log().size();
        const bool played = player.step();
        if (trace) {
            for (const QString &line : player.log().mid(logged))
                qInfo("%d: %s", step, qPrintable(line));
        }
        if (!played) {
            const QString steps = player.log().join(QStringLiteral("\n  "));
            QFAIL(qPrintable(QStringLiteral("seed %1, step %2: %3\nreplay with SESSION_SEED=%1 "
                                            "SESSION_STEPS=%2; the steps:\n  %4")
                                 .arg(seed)
                                 .arg(step)
                                 .arg(player.failure(), steps)));
        }
    }
}

QTEST_MAIN(SessionTest)
#include "tst_session.moc"
