// The real client (TDemoClient) against a real narrelo-demoserver over loopback: login,
// sentence splitting, synthesis and file fetching, with Turkish text travelling as
// Windows-1254 bytes both ways and audio that the client's own decoder reads.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "foundation/code_page.h"
#include "foundation/memory_stream.h"
#include "pipeline/ogg_vorbis_decoder.h"
#include "records/demo_audios.h"
#include "records/narrelo_cumles.h"
#include "service/demo_client.h"
#include "tests/support/demo_server_process.h"
#include "tests/support/temp_config_home.h"

namespace {

struct TVorbisFormat {
    int Channels = 0;
    int Rate = 0;
};

// Channels and rate from the Vorbis identification header ("\x01vorbis", version, channels,
// rate) of an Ogg file.
TVorbisFormat FormatOf(const TMemoryStream &ogg) {
    const std::string_view bytes(reinterpret_cast<const char *>(ogg.Memory()), size_t(ogg.DataSize()));
    const size_t at = bytes.find(std::string_view("\x01vorbis", 7));
    if (at == std::string_view::npos || at + 16 > bytes.size()) return {};
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    TVorbisFormat format;
    format.Channels = byte(at + 11);
    format.Rate = int(byte(at + 12) | byte(at + 13) << 8 | byte(at + 14) << 16 | byte(at + 15) << 24);
    return format;
}

// Seconds of 16-bit mono PCM the client's decoder makes of an Ogg file.
double DecodedSeconds(const TMemoryStream &ogg) {
    TMemoryStream pcm(8192);
    DecodeOggVorbis(ogg.Memory(), ogg.DataSize(), pcm);
    return double(pcm.DataSize()) / 2.0 / 16000.0;
}

class DemoClientE2ETest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server_ = new TDemoServerProcess(); }
    static void TearDownTestSuite() {
        delete server_;
        server_ = nullptr;
    }

    void SetUp() override {
        endpoint_ = server_->Endpoint();
        client_.soap_endpoint = endpoint_.c_str();
    }

    static TDemoServerProcess *server_;
    TempConfigHome home_;
    std::string endpoint_;
    TDemoClient client_;
};

TDemoServerProcess *DemoClientE2ETest::server_ = nullptr;

TEST_F(DemoClientE2ETest, ReadsATurkishTextSentenceBySentence) {
    const std::string text = "Merhaba dünya. Bugün hava çok güzel, değil mi?"_cp;
    TNarreloCumles sentences;
    sentences.OwnsItems = true;
    client_.LoadSentences(text.c_str(), 0, sentences);

    ASSERT_EQ(sentences.Count(), 2);
    const struct {
        int32_t Start, Length;
        std::string Text;
    } expected[] = {
        {0, 14, "Merhaba dünya."_cp},
        {15, int32_t(text.size()) - 15, "Bugün hava çok güzel, değil mi?"_cp},
    };
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(sentences.Get(i)->Start, expected[i].Start);
        EXPECT_EQ(sentences.Get(i)->Length, expected[i].Length);
        EXPECT_EQ(sentences.Get(i)->Text.View(), expected[i].Text);
        EXPECT_FALSE(sentences.Get(i)->IsXml);
        EXPECT_EQ(sentences.Get(i)->Audios.Count(), 0);
    }

    TDemoAudios audios;
    client_.SynthesiseSentence(sentences.Get(1)->Text.Text(), 0, 1, 10, 10, 1, audios);
    ASSERT_EQ(audios.Count(), 1);
    TDemoAudio &audio = *audios.Get(0);
    EXPECT_EQ(audio.Text.View(), expected[1].Text);
    EXPECT_EQ(audio.SpokenText.View(), expected[1].Text);
    EXPECT_EQ(audio.FileType, 1);
    EXPECT_EQ(audio.Volume, 10);
    EXPECT_EQ(audio.Speed, 10);
    EXPECT_FALSE(audio.IsXml);
    EXPECT_EQ(audio.Speaker, 1);
    EXPECT_GT(audio.FileId.Length(), 0);
    EXPECT_EQ(audio.Data.DataSize(), 0) << "without --inline the client fetches the file";

    const int32_t written = client_.LoadSynthesisedFile(audio.Data, audio.FileId.Text());
    ASSERT_GT(written, 0);
    EXPECT_EQ(written, audio.Data.DataSize());
    const TVorbisFormat format = FormatOf(audio.Data);
    EXPECT_EQ(format.Channels, 1);
    EXPECT_EQ(format.Rate, 16000);
    // Six words spoken at a natural pace.
    const double seconds = DecodedSeconds(audio.Data);
    EXPECT_GT(seconds, 1.0);
    EXPECT_LT(seconds, 5.0);
}

}  // namespace
