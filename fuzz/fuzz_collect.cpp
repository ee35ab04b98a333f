// Module collection of one module's bytes: no crash, no sanitizer report, every line of the
// result ends with CR LF, and the object table holds no empty row.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "code_page_932.h"
#include "collect/module_collection.h"

using namespace scourvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string content(reinterpret_cast<const char*>(data), size);
    for (const char* module : {"M.bas", "F.frm", "C.cls"}) {
        std::vector<Bytes> objects;
        startObjectTable(objects, module);
        const Bytes out = collectModuleText(content, objects);
        if (!content.empty() && (out.size() < 2 || out.compare(out.size() - 2, 2, "\r\n") != 0))
            std::abort();
        for (const Bytes& o : objects)
            if (o.empty()) std::abort();
    }
    return 0;
}
