// Each upload becomes a file of its own, made exclusively in a fresh folder
// inside the reader's private one and removed as soon as it is read: the
// readers take files, and their messages then name the folder-less name,
// which is stripped back off.
#include "upload_reader.h"

#include <fcntl.h>
#include <unistd.h>

#include <mrhost/declaration.h>
#include <mrhost/shader_block.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "attribute_preset.h"
#include "safe_name.h"
#include "text_file.h"

namespace preview::serve {
namespace {

std::string makeFolder(const std::string& pattern)
{
    std::string path = pattern;
    if (::mkdtemp(path.data()) == nullptr) throw std::system_error(errno, std::generic_category(), "mkdtemp");
    return path;
}

void writeAll(int fd, const std::string& content)
{
    for (std::size_t at = 0; at < content.size();) {
        const ssize_t n = ::write(fd, content.data() + at, content.size() - at);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw std::system_error(errno, std::generic_category(), "write");
        at += std::size_t(n);
    }
}

}  // namespace

UploadReader::UploadReader(std::string shaderDeclaration, HostInputs inputs)
    : shaderDeclaration_(std::move(shaderDeclaration)), inputs_(std::move(inputs))
{
    folder_ = makeFolder((std::filesystem::temp_directory_path() / "glossy-preview-XXXXXX").string());
}

UploadReader::~UploadReader()
{
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
}

template <typename Read>
auto UploadReader::readAs(const std::string& fileName, const std::string& content, Read read) const
{
    const std::string name = safeName(fileName, "upload");
    const std::string folder = makeFolder(folder_ + "/XXXXXX");
    const std::string path = folder + "/" + name;
    struct Cleanup {
        const std::string& folder;
        ~Cleanup()
        {
            std::error_code ec;
            std::filesystem::remove_all(folder, ec);
        }
    } cleanup{folder};
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) throw std::system_error(errno, std::generic_category(), "open");
    try {
        writeAll(fd, content);
    } catch (...) {
        ::close(fd);
        throw;
    }
    ::close(fd);
    try {
        return read(path);
    } catch (const std::runtime_error& e) {
        // The readers name the file as they were given it: show only its own name.
        std::string message = e.what();
        const std::string prefix = printable(folder + "/");
        if (message.compare(0, prefix.size(), prefix) == 0) message.erase(0, prefix.size());
        throw UsageError(message);
    }
}

std::vector<MaterialSetting> UploadReader::readPreset(const std::string& fileName, const std::string& content) const
{
    return readAs(fileName, content,
                  [this](const std::string& path) { return readAttributePreset(path, inputs_.maya); });
}

std::vector<NamedLook> UploadReader::readShaderBlocks(const std::string& fileName, const std::string& content) const
{
    return readAs(fileName, content, [this](const std::string& path) {
        const std::vector<mrhost::ShaderDeclaration> declarations = mrhost::readDeclarations(shaderDeclaration_);
        const std::vector<mrhost::ShaderInstance> blocks =
            mrhost::parseShaderInstances(readTextFile(path), path, declarations);
        std::vector<NamedLook> looks;
        for (const mrhost::ShaderInstance& block : blocks) {
            if (block.shaderName != "kova_glossy") continue;
            NamedLook look{block.name, {}};
            for (const mrhost::InstanceValue& value : block.values) {
                const DeclaredInput* input = inputs_.find(HostSide::MentalRay, value.name);
                if (!input) continue;  // the light array: the scene's own
                MaterialSetting setting{input->name, defaultValue(*input)};
                for (std::size_t i = 0; i < 3 && i < value.numbers.size(); ++i)
                    setting.value.values[i] = value.numbers[i];
                if (setting.value.kind != InputKind::Triple) setting.value.values[1] = setting.value.values[2] = 0.0f;
                look.settings.push_back(setting);
            }
            looks.push_back(look);
        }
        if (looks.empty()) throw std::runtime_error(path + ":0: expected a kova_glossy block, found none");
        return looks;
    });
}

}  // namespace preview::serve
