// Where a render's output goes and in what type, and how the command line reports what it refuses.
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "cli_support.h"

namespace {

using namespace vemomix_test;
using Outputs = Cli;

int shell(const std::string& cmd) {
    const int ws = std::system(cmd.c_str());
    return WIFEXITED(ws) ? WEXITSTATUS(ws) : -1;
}

std::string quoted(const fs::path& p) { return "'" + p.string() + "'"; }

std::vector<int16_t> inverted(std::vector<int16_t> s) {
    for (int16_t& v : s) v = v == INT16_MIN ? v : static_cast<int16_t>(-v);
    return s;
}

// Every type keeps the rate, the channels and 16-bit samples (bit for bit where the codec is lossless).
TEST_F(Outputs, TypeFollowsTheExtensionOrType) {
    write_audio(at("in.wav"), 22050, 2, test_samples(2 * 3000));
    const std::vector<int16_t> want = inverted(read_audio(at("in.wav")).samples);
    struct Row {
        std::string out;
        std::vector<std::string> options;
        int format;
    };
    const Row rows[] = {
        {"o.flac", {}, SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
        {"o.AIFF", {}, SF_FORMAT_AIFF | SF_FORMAT_PCM_16},
        {"o.aif", {}, SF_FORMAT_AIFF | SF_FORMAT_PCM_16},
        {"o.ogg", {}, SF_FORMAT_OGG | SF_FORMAT_VORBIS},
        {"o.flac.wav", {}, SF_FORMAT_WAV | SF_FORMAT_PCM_16},
        {"no-extension", {}, SF_FORMAT_WAV | SF_FORMAT_PCM_16},
        {"o.wav", {"--type", "flac"}, SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.out);
        std::vector<std::string> args = {"render", at("in.wav"), at(row.out), "--enable", "invert"};
        args.insert(args.end(), row.options.begin(), row.options.end());
        const Outcome r = vemomix(args);
        ASSERT_EQ(r.status, 0) << r.err;
        const Audio a = read_audio(at(row.out));
        EXPECT_EQ(std::tuple(a.format, a.rate, a.channels), std::tuple(row.format, 22050, 2));
        if ((row.format & SF_FORMAT_SUBMASK) == SF_FORMAT_PCM_16) EXPECT_EQ(a.samples, want);
        else EXPECT_EQ(a.samples.size(), want.size());
    }
    // An unknown type is a usage error that creates nothing.
    const auto before = listing(work_.path());
    for (const auto& args : {std::vector<std::string>{"render", at("in.wav"), at("o.xyz")},
                             std::vector<std::string>{"render", at("in.wav"), at("o.wav"), "--type", "mp4"}}) {
        const Outcome r = vemomix(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find("flac"), std::string::npos) << r.err;  // the known types are listed
        expect_refused(r, args.size() == 3 ? "o.xyz" : "--type", before);
    }
}

// A symbolic link stays a link to the replaced file; a file keeps its permissions; "-" is standard output;
// a FIFO and a device are written, not replaced.
TEST_F(Outputs, LinksPermissionsStandardOutputAndSpecialFiles) {
    write_audio(at("in.wav"), 11025, 1, test_samples(4000));
    ASSERT_EQ(vemomix({"render", at("in.wav"), at("plain.wav"), "--enable", "invert"}).status, 0);
    const std::string rendered = file_bytes(at("plain.wav"));

    fs::create_directory(at("real"));
    spit(at("real/target.wav"), "old");
    fs::permissions(at("real/target.wav"), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink("real/target.wav", at("link.wav"));
    fs::create_symlink("link.wav", at("link2.wav"));  // a chain of links
    Outcome r = vemomix({"render", at("in.wav"), at("link2.wav"), "--enable", "invert"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::is_symlink(at("link.wav")) && fs::is_symlink(at("link2.wav")));
    EXPECT_EQ(file_bytes(at("real/target.wav")), rendered);
    EXPECT_EQ(fs::status(at("real/target.wav")).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(listing(at("real")), std::set<std::string>{"target.wav"});

    r = vemomix({"render", at("in.wav"), "-", "--enable", "invert"});  // standard output is a file here
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, rendered);
    const std::string render = "'" VEMOMIX_BIN "' render " + quoted(at("in.wav"));
    // A pipe cannot seek back to finish the header: the WAV is still complete.
    ASSERT_EQ(shell(render + " - --enable invert | cat > " + quoted(at("piped.wav"))), 0);
    EXPECT_EQ(file_bytes(at("piped.wav")), rendered);

    ASSERT_EQ(mkfifo(at("fifo").c_str(), 0600), 0);
    ASSERT_EQ(shell("cat " + quoted(at("fifo")) + " > " + quoted(at("from-fifo")) + " & " + render + " " +
                    quoted(at("fifo")) + " --enable invert; s=$?; wait; exit $s"),
              0);
    EXPECT_TRUE(fs::is_fifo(at("fifo")));
    EXPECT_EQ(file_bytes(at("from-fifo")), rendered);

    // As root a device node can be made here; the render must write through it and leave it a device.
    if (geteuid() == 0 && mknod(at("null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) {
        r = vemomix({"render", at("in.wav"), at("null"), "--enable", "invert"});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_TRUE(fs::is_character_file(at("null")));
    }
}

// Usage errors exit 2, every other failure 1; each prints one line that starts "vemomix: ".
TEST_F(Outputs, ErrorsAreOneLineWithTheirExitStatus) {
    write_audio(at("in.wav"), 44100, 2, test_samples(400));
    const std::string in = at("in.wav"), out = at("out.wav");
    const auto before = listing(work_.path());
    struct Row {
        std::vector<std::string> args;
        int status;
        std::string told;
    };
    const Row rows[] = {
        {{}, 2, "subcommand"},
        {{"render", in}, 2, "OUT"},
        {{"render", in, out, "--buffer", "abc"}, 2, "\"abc\" is not a whole number (1 to 1048576)"},
        {{"render", in, out, "--buffer", "0"}, 2, "--buffer: 0 is outside 1 to 1048576"},
        {{"render", in, out, "--buffer", "1", "--buffer", "2"}, 2, "--buffer: given more than once"},
        {{"render", in, out, "--tail", "-1"}, 2, "--tail"},
        {{"render", in, out, "--enable", "flanger"}, 2, "\"flanger\" is not an effect"},
        {{"render", in, out, "--bogus"}, 2, "--bogus"},
        {{"render", at("missing.wav"), out}, 1, "missing.wav: cannot open"},
        {{"settings", "dump", in}, 1, "748"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.args));
        const Outcome r = vemomix(row.args);
        EXPECT_EQ(r.status, row.status);
        EXPECT_EQ(r.err.rfind("vemomix: ", 0), 0u) << r.err;
        expect_refused(r, row.told, before);
    }
    // Repeated and listed switches add up, in any case, with spaces after commas.
    Outcome r = vemomix({"render", in, out, "--enable", "Echo", "--enable", "invert, REVERB", "--chain", "15, echo"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("note: reverb is enabled but not in the chain (invert > echo)"), std::string::npos) << r.err;
    r = vemomix({"--version"});
    EXPECT_EQ(std::tuple(r.status, r.out), std::tuple(0, std::string("vemomix " VEMOMIX_VERSION "\n")));
}

}  // namespace
