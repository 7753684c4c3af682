#include "folders/Ob7Stream.h"

namespace ob7 {

PassResult openFailure(Status status) {
    const Outcome outcome = status.code() == errc::kInvalidData ? Outcome::Damaged : Outcome::CipherFailed;
    return {outcome, std::move(status)};
}

Status sealHeader(ICrypto& crypto, const Key& key, Header& header) {
    const HeaderBody body = headerBody(header);
    const Nonce nonce = nonceFor(header.fileId, kHeaderChunkIndex);
    return crypto.aes256GcmSeal(
        {.key = key, .nonce = nonce, .associatedData = body, .plain = {}, .cipher = {}, .tag = header.tag});
}

PassResult checkHeader(ICrypto& crypto, const Key& key, const Header& header) {
    const HeaderBody body = headerBody(header);
    const Nonce nonce = nonceFor(header.fileId, kHeaderChunkIndex);
    Status opened = crypto.aes256GcmOpen(
        {.key = key, .nonce = nonce, .associatedData = body, .cipher = {}, .tag = header.tag, .plain = {}});
    if (!opened.ok()) return openFailure(std::move(opened));
    return {};
}

}  // namespace ob7
