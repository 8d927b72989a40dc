// glossy-preview --serve, driven over loopback as a browser would be, without
// one: who is refused, what is bounded, that a look renders the very bytes the
// command line writes, that saved looks read back, and that many requests, a
// client gone mid-render and Ctrl-C leave the server sound.
#include <gtest/gtest.h>
#include <httplib.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

// The server as a child process on a free port; SIGINT when the test ends.
class Server {
public:
    Server()
    {
        int out[2], err[2];
        if (::pipe(out) != 0 || ::pipe(err) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], 1);
            ::dup2(err[1], 2);
            ::execl(GLOSSY_PREVIEW, GLOSSY_PREVIEW, "--serve", "--port", "0", "--threads", "2", "--env", STUDIO_EXR,
                    nullptr);
            ::_exit(127);
        }
        ::close(out[1]);
        ::close(err[1]);
        out_ = out[0];
        err_ = err[0];
        const std::string line = readUntil(out_, '\n', 30000);
        const std::size_t colon = line.rfind(':');
        if (colon != std::string::npos) port_ = std::atoi(line.c_str() + colon + 1);
    }
    ~Server()
    {
        if (pid_ > 0 && !ended_) stop();
        ::close(out_);
        ::close(err_);
    }
    int port() const { return port_; }
    // Sends SIGINT; the exit status and what it said on stderr.
    int stop(std::string* said = nullptr)
    {
        ::kill(pid_, SIGINT);
        const std::string text = readUntil(err_, '\0', 30000);
        if (said) *said = text;
        int status = 0;
        ::waitpid(pid_, &status, 0);
        ended_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

private:
    // Reads until `end` (or end of file), waiting at most `ms` in all.
    static std::string readUntil(int fd, char end, int ms)
    {
        std::string text;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < deadline) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0) continue;
            char c;
            if (::read(fd, &c, 1) != 1) break;
            if (c == end && end != '\0') break;
            text += c;
        }
        return text;
    }

    pid_t pid_ = -1;
    int out_ = -1, err_ = -1, port_ = -1;
    bool ended_ = false;
};

Server& server()
{
    static Server instance;
    return instance;
}

httplib::Client client()
{
    httplib::Client c("127.0.0.1", server().port());
    c.set_read_timeout(120, 0);
    return c;
}

httplib::Result post(const std::string& path, const std::string& body, const std::string& type = "application/json")
{
    return client().Post(path.c_str(), body, type.c_str());
}

std::string errorOf(const httplib::Result& r) { return json::parse(r->body, nullptr, false).value("error", ""); }

std::string fileBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(PreviewServe, RefusesForeignHostsAndOrigins)
{
    ASSERT_GT(server().port(), 0);
    const std::string port = std::to_string(server().port());
    struct Case {
        const char* what;
        httplib::Headers headers;
        int status;
    };
    const Case cases[] = {
        {"its own address", {}, 200},
        {"localhost", {{"Host", "localhost:" + port}}, 200},
        {"its own origin", {{"Origin", "http://127.0.0.1:" + port}}, 200},
        {"a rebound name", {{"Host", "attacker.example:" + port}}, 403},
        {"another port", {{"Host", "127.0.0.1:1"}}, 403},
        {"a foreign origin", {{"Origin", "http://attacker.example"}}, 403},
        {"an https origin", {{"Origin", "https://127.0.0.1:" + port}}, 403},
        {"a null origin", {{"Origin", "null"}}, 403},
    };
    for (const Case& c : cases) {
        const auto r = client().Get("/api/model", c.headers);
        ASSERT_TRUE(r) << c.what;
        EXPECT_EQ(r->status, c.status) << c.what;
    }
}

TEST(PreviewServe, BadRequestsGetOneLine)
{
    struct Case {
        const char* what;
        std::string path, body;
        int status;
        const char* message;
    };
    const Case cases[] = {
        {"not JSON", "/api/render", "{", 400, "expected a JSON object"},
        {"no host", "/api/render", "{}", 400, "host: expected"},
        {"an input the host lacks", "/api/render", R"({"host":"maya","inputs":{"specularWeight":"1"}})", 400,
         "maya has no input 'specularWeight'"},
        {"a bad number", "/api/render", R"({"host":"maya","inputs":{"roughness":"0.3x"}})", 400,
         "'0.3x' is not a value for roughness"},
        {"a number out of float range", "/api/render", R"({"host":"mentalray","inputs":{"roughness":"1e39"}})", 400,
         "overflows"},
        {"a value not as text", "/api/render", R"({"host":"maya","inputs":{"roughness":0.3}})", 400, "as text"},
        {"a width too large", "/api/render", R"({"host":"maya","width":4096})", 400, "width: expected"},
        {"a fractional size", "/api/render", R"({"host":"maya","height":1.5})", 400, "height: expected"},
        {"an environment not given", "/api/render", R"({"host":"maya","environment":2})", 400, "environment"},
        {"an exposure out of range", "/api/render", R"({"host":"maya","exposure":"21"})", 400, "--exposure"},
        {"lights neither on nor off", "/api/render", R"({"host":"maya","lights":[]})", 400, "lights: expected"},
        {"the other host's input it lacks", "/api/render",
         R"({"host":"mentalray","otherInputs":{"specularWeight":"1"}})", 400, "maya has no input 'specularWeight'"},
        {"a boolean sweep", "/api/render", R"({"host":"mentalray","sweeps":["useIrradiance=0:1:2"]})", 400,
         "cannot be swept"},
        {"an oversized body", "/api/render", std::string(70000, ' '), 413, "larger than"},
        {"an unknown preset", "/api/preset?name=../satin", "", 404, "no shipped preset"},
        {"a preset that does not read", "/api/read?kind=preset&file=../../x.mel",
         "startAttrPreset( \"glossy\" );\nblendAttr \"color\" 1 2;\n", 400, "x.mel:2: expected 3 numbers"},
        {"binary bytes", "/api/read?kind=preset&file=b.mel", std::string("ab\0c", 4), 400,
         "b.mel:1: expected text, found the byte \\x00"},
        {"a file without our blocks", "/api/read?kind=shader&file=e.mi", "# nothing\n", 400,
         "e.mi:0: expected a kova_glossy block"},
        {"an unknown kind", "/api/read?kind=exr&file=a", "", 400, "kind: expected"},
    };
    for (const Case& c : cases) {
        const auto r =
            c.body.empty() && c.path.rfind("/api/preset", 0) == 0 ? client().Get(c.path.c_str()) : post(c.path, c.body);
        ASSERT_TRUE(r) << c.what;
        EXPECT_EQ(r->status, c.status) << c.what;
        EXPECT_NE(errorOf(r).find(c.message), std::string::npos) << c.what << ": " << r->body;
    }
    // An upload beyond the bound is cut off by the server before any reader.
    const auto big = post("/api/read?kind=preset&file=big.mel", std::string((1 << 20) + 1, 'a'), "text/plain");
    ASSERT_TRUE(big);
    EXPECT_EQ(big->status, 413);
}

// What the page shows for a look is byte for byte the PNG the command line
// writes, a labelled sheet and the settings it records included: the page's
// values for each host are the command line's values for that host.
TEST(PreviewServe, RendersTheCommandLinesBytes)
{
    const fs::path out = fs::temp_directory_path() / ("preview_serve_" + std::to_string(::getpid()));
    struct Case {
        std::string arguments;
        const char* body;
        const char* file;
    };
    const Case cases[] = {
        {"--width 64 --height 48 --samples 3 --area-samples 2 --set maya:roughness=0.15 --set maya:color=0.7,0.2,0.1",
         R"({"host":"maya","width":64,"height":48,"samples":3,"areaSamples":2,
             "inputs":{"roughness":"0.15","color":"0.7,0.2,0.1"}})",
         "maya.png"},
        // Lit by the environment alone, turned, brighter, its record naming the file as given.
        {"--width 64 --height 48 --samples 3 --area-samples 2 --set roughness=0.15 --set specularWeight=0.6 "
         "--env '" STUDIO_EXR "' --lights off --env-turn 30 --env-intensity 2 --exposure 0.5 --irradiance-rays 9",
         R"({"host":"mentalray","width":64,"height":48,"samples":3,"areaSamples":2,"environment":1,"lights":"off",
             "envTurn":"30",
             "envIntensity":2,"exposure":"0.5","irradianceRays":9,
             "inputs":{"roughness":"0.15","specularWeight":"0.6"},"otherInputs":{"roughness":"0.15"}})",
         "mentalray.png"},
        {"--width 150 --height 60 --samples 1 --sweep roughness=0.1:0.5:3 --set mentalray:sharpness=0.9",
         R"({"host":"mentalray","width":150,"height":60,"samples":1,"sweeps":["roughness=0.1:0.5:3"],
             "inputs":{"sharpness":"0.9"}})",
         "mentalray.png"},
    };
    for (const Case& c : cases) {
        const std::string command =
            std::string(GLOSSY_PREVIEW) + " " + c.arguments + " --out " + out.string() + " 2>/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        const auto r = post("/api/render", c.body);
        ASSERT_TRUE(r);
        ASSERT_EQ(r->status, 200) << r->body;
        EXPECT_TRUE(r->body == fileBytes(out / c.file)) << c.arguments;
    }
    fs::remove_all(out);
}

TEST(PreviewServe, SavedLooksReadBack)
{
    const std::string look = R"({"name":"x/../y","inputs":{"roughness":"0.123456789","color":"0.1,0.2,0.3"}})";
    struct Case {
        const char* kind;
        const char* file;
        const char* read;
    };
    for (const Case& c : {Case{"preset", "y.mel", "settings"}, Case{"shader", "y.mi", "blocks"}}) {
        const auto saved = post(std::string("/api/save?kind=") + c.kind, look);
        ASSERT_TRUE(saved);
        ASSERT_EQ(saved->status, 200) << saved->body;
        EXPECT_NE(saved->get_header_value("Content-Disposition").find(c.file), std::string::npos);
        const auto read = post(std::string("/api/read?kind=") + c.kind + "&file=" + c.file, saved->body, "text/plain");
        ASSERT_EQ(read->status, 200) << read->body;
        json settings = json::parse(read->body)[c.read];
        if (std::string(c.kind) == "shader") settings = settings[0]["settings"];
        std::map<std::string, std::string> values;
        for (const json& s : settings) values[s["name"]] = s["value"];
        // The float nearest 0.123456789 comes back as its own shortest text.
        EXPECT_EQ(values["roughness"], "0.12345679") << c.kind;
        EXPECT_EQ(values["color"], "0.1,0.2,0.3") << c.kind;
        EXPECT_EQ(values["diffuse"], "0.8") << c.kind;
    }
}

TEST(PreviewServe, ManyRequestsAtOnceAndAClientGoneMidRender)
{
    // A big render whose client hangs up at once.
    {
        httplib::Client quitter("127.0.0.1", server().port());
        quitter.set_read_timeout(0, 200000);
        quitter.Post("/api/render", R"({"host":"mentalray","width":1024,"height":768,"samples":16})",
                     "application/json");
    }
    std::vector<std::thread> threads;
    std::vector<int> statuses(16, 0);
    for (int i = 0; i < 16; ++i)
        threads.emplace_back([i, &statuses] {
            const std::string host = i % 2 ? "maya" : "mentalray";
            const std::string body = R"({"host":")" + host + R"(","quality":"coarse","inputs":{"roughness":")" +
                                     std::to_string(0.05 * (i + 1)) + R"("}})";
            auto r = post("/api/render", body);
            // A burst larger than the listening queue may lose a connection
            // before the server answers it (the kernel's doing, not the
            // server's): such a request is sent once more, as a browser would;
            // a server that died would fail it again.
            if (!r) r = post("/api/render", body);
            statuses[i] = r ? r->status : -100 - int(r.error());
        });
    for (std::thread& t : threads) t.join();
    for (int status : statuses)
        EXPECT_TRUE(status == 200 || status == 409) << status << " (below -100: the client's error, less 100)";
    // Once the crowd is gone, a request is served as ever.
    const auto after = post("/api/render", R"({"host":"maya","quality":"coarse"})");
    ASSERT_TRUE(after);
    EXPECT_EQ(after->status, 200);
}

// Last: Ctrl-C ends the server that the other cases shared.
TEST(PreviewServe, ZZCtrlCEndsCleanly)
{
    std::thread([] { post("/api/render", R"({"host":"maya","width":800,"height":600,"samples":32})"); }).detach();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    std::string said;
    EXPECT_EQ(server().stop(&said), 0);
    EXPECT_NE(said.find("glossy-preview: stopped"), std::string::npos) << said;
}

}  // namespace
