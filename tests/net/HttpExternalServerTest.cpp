// The client against an HTTP server nobody here wrote: Python's http.server
// on loopback, in its HTTP/1.0 (close after each response) and HTTP/1.1
// (keep-alive) modes.
#include <chrono>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "ExternalServer.h"
#include "HttpGet.h"
#include "PortRedirect.h"
#include "net/KvWsa.h"

namespace {

class ExternalServer : public testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        FFolder = std::filesystem::temp_directory_path() /
                  ("orvane-net-" +
                   std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
        std::filesystem::create_directories(FFolder);
        for (std::size_t i = 0; i < 20000; ++i)
            FContent += static_cast<char>('a' + i * 7 % 26);
        std::ofstream(FFolder / "live.txt", std::ios::binary) << FContent;
        std::string why;
        if (!FServer.Start(FFolder.string(), GetParam(), why))
            GTEST_SKIP() << why;
        TErrCode code = ErrOk;
        std::string text;
        LoadWinsock(code, text);
        FClient = std::make_unique<TKvHttpClient>(std::make_unique<TPortRedirect>(FServer.Port()));
    }

    void TearDown() override { std::filesystem::remove_all(FFolder); }

    std::string Get(const std::string& path, std::int32_t& status)
    {
        TGetResult r = HttpGet(*FClient, "http://127.0.0.1" + path);
        EXPECT_EQ(r.FCode, ErrOk) << r.FText;
        status = r.FStatus;
        return r.FBody;
    }

    std::filesystem::path FFolder;
    std::string FContent;
    TExternalServer FServer;
    std::unique_ptr<TKvHttpClient> FClient;
};

TEST_P(ExternalServer, FetchesAFileAndANotFoundPage)
{
    std::int32_t status = 0;
    EXPECT_TRUE(Get("/live.txt", status) == FContent);
    EXPECT_EQ(status, 200);
    EXPECT_NE(Get("/missing.txt", status).find("404"), std::string::npos);
    EXPECT_EQ(status, 404);
    EXPECT_TRUE(Get("/live.txt", status) == FContent);
}

INSTANTIATE_TEST_SUITE_P(Protocols, ExternalServer, testing::Values("HTTP/1.0", "HTTP/1.1"),
                         [](const auto& caseInfo) {
                             return std::string(caseInfo.param) == "HTTP/1.0" ? "Http10" : "Http11";
                         });

}  // namespace
