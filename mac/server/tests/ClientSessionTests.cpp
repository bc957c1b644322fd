#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "mac/core/WallpaperService.h"
#include "mac/core/tests/WallpaperPictures.h"
#include "mac/server/ClientSession.h"
#include "platform/FileContents.h"
#include "platform/ImageCoding.h"
#include "platform/sim/SimMac.h"
#include "platform/tests/TemporaryFolder.h"
#include "runtime/VirtualScheduler.h"

namespace tavelin {
namespace {

// A device's "wallpaper.fetch" answered as a session answers it: the wallpaper service decides, the
// session replies.
class WallpaperFetchTest : public ::testing::Test {
  protected:
    // One screen; with a picture file of its own when asked, otherwise only the system's default desktop,
    // which the service never sends, so that no picture is held.
    void start(bool withPicture) {
        sim::Desktop desktop;
        desktop.screens = {sim::DesktopScreen{"Built-in", Rect{0, 0, 320, 200}, 1, 1, true}};
        mac_ = std::make_unique<sim::SimMac>(std::move(desktop), home_.path(), scheduler_, log_);
        if (withPicture) {
            const auto jpeg = encodeJPEG(test_pictures::sunset(), 90);
            ASSERT_TRUE(writeFileAtomically(mac_->diskPath("/Users/Shared/Dunes.jpg"),
                                            std::string(jpeg->begin(), jpeg->end())));
            mac_->displays().setDesktopPicture(0, "/Users/Shared/Dunes.jpg");
        }
        scheduler_.runUntilIdle();
        auto& displays = mac_->displays();
        service_ = WallpaperService::create(
            {displays, displays, mac_->windowServer(), mac_->screenCapture(), mac_->privacy(), mac_->host(),
             mac_->workspace().notificationCenter(), mac_->notificationCenter()},
            scheduler_, log_);
        service_->refreshIfDesktopChanged(true);
    }

    ClientSession::WallpaperReply reply(std::optional<std::string> knownToken) {
        const auto payload = encodeJSON(WallpaperFetch{knownToken});
        const auto request = decodeJSON<AnyEnvelope>(
            R"({"protocolVersion":1,"messageType":"wallpaper.fetch","requestID":"REQUEST-7","sessionID":")" +
            session_.rawValue() + R"(","payload":)" + *payload + "}");
        EXPECT_TRUE(request) << request.error().message;
        const auto decoded = request->decode<WallpaperFetch>();
        EXPECT_TRUE(decoded) << decoded.error().message;
        return ClientSession::wallpaperFetchReply(*request, service_->answerFetch(*decoded), session_);
    }

    // The reply is "wallpaper.data" for this request, in this session; gives its payload.
    WallpaperData expectData(const ClientSession::WallpaperReply& reply) {
        const auto* data = std::get_if<Envelope<WallpaperData>>(&reply);
        if (!data) {
            ADD_FAILURE() << "answered wallpaper.unchanged";
            return {};
        }
        EXPECT_EQ(data->messageType, MessageType::wallpaperData);
        EXPECT_EQ(data->requestID, RequestID("REQUEST-7"));
        EXPECT_EQ(data->sessionID, session_);
        return data->payload;
    }
    void expectUnchanged(const ClientSession::WallpaperReply& reply) {
        const auto* unchanged = std::get_if<Envelope<EmptyPayload>>(&reply);
        ASSERT_NE(unchanged, nullptr) << "answered wallpaper.data";
        EXPECT_EQ(unchanged->messageType, MessageType::wallpaperUnchanged);
        EXPECT_EQ(unchanged->requestID, RequestID("REQUEST-7"));
        EXPECT_EQ(unchanged->sessionID, session_);
        EXPECT_EQ(encodeJSON(unchanged->payload).value(), "{}");
    }

    TemporaryFolder home_;
    VirtualScheduler scheduler_;
    CapturedSystemLog log_;
    std::unique_ptr<sim::SimMac> mac_;
    std::shared_ptr<WallpaperService> service_;
    SessionID session_ = SessionID::generate();
};

TEST_F(WallpaperFetchTest, WithAPictureOnlyTheCurrentTokenIsAnsweredUnchanged) {
    start(/*withPicture=*/true);
    ASSERT_TRUE(service_->jpegData());
    const auto current = service_->currentToken();
    ASSERT_TRUE(current.starts_with("file:")) << current;
    const WallpaperData picture{current, base64Encode(*service_->jpegData()), {0, 0}};

    EXPECT_EQ(expectData(reply(std::nullopt)), picture);  // no token
    EXPECT_EQ(expectData(reply("")), picture);            // an empty token
    EXPECT_EQ(expectData(reply("file:old")), picture);    // another picture
    expectUnchanged(reply(current));
}

TEST_F(WallpaperFetchTest, WithoutAPictureTheUnavailablePayloadIsSent) {
    start(/*withPicture=*/false);
    ASSERT_FALSE(service_->jpegData());
    const auto current = service_->currentToken();
    ASSERT_FALSE(current.empty());
    const WallpaperData unavailable{current, "", {0, 0}};

    EXPECT_EQ(expectData(reply(std::nullopt)), unavailable);
    EXPECT_EQ(expectData(reply("")), unavailable);
    EXPECT_EQ(expectData(reply("file:old")), unavailable);
    // The device holds the same "nothing": nothing new to send.
    expectUnchanged(reply(current));
}

TEST(ClientSessionWallpaperReply, AnAnswerWithoutAnyTokenCarriesEmpty) {
    AnyEnvelope request;
    request.messageType = "wallpaper.fetch";
    request.requestID = RequestID("REQUEST-8");
    const auto session = SessionID::generate();
    const auto reply = ClientSession::wallpaperFetchReply(request, WallpaperData::unavailable(""), session);
    const auto& envelope = std::get<Envelope<WallpaperData>>(reply);
    EXPECT_EQ(encodeJSON(envelope).value(),
              R"({"protocolVersion":1,"messageType":"wallpaper.data","requestID":"REQUEST-8","sessionID":")" +
                  session.rawValue() +
                  R"(","payload":{"token":"empty","jpegBase64":"","size":{"width":0,"height":0}}})");
}

}  // namespace
}  // namespace tavelin
