#include "Certificate.h"

#include <openssl/pem.h>
#include <openssl/rsa.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>
#include <sys/stat.h>

#include <QFile>
#include <memory>

namespace {

template <typename T, void (*Free)(T*)>
using Owned = std::unique_ptr<T, std::integral_constant<decltype(Free), Free>>;

bool writePem(const QString& path, const std::function<int(BIO*)>& write, bool secret) {
  Owned<BIO, BIO_free_all> file(BIO_new_file(QFile::encodeName(path).constData(), "w"));
  if (!file || write(file.get()) != 1) return false;
  if (secret) ::chmod(QFile::encodeName(path).constData(), 0600);
  return true;
}

}  // namespace

std::optional<QString> makeSelfSignedCertificate(const QString& certificatePath, const QString& keyPath) {
  Owned<EVP_PKEY, EVP_PKEY_free> key(EVP_RSA_gen(2048));
  Owned<X509, X509_free> certificate(X509_new());
  if (!key || !certificate) return QStringLiteral("cannot make a key");
  X509* x509 = certificate.get();
  X509_set_version(x509, 2);
  ASN1_INTEGER_set(X509_get_serialNumber(x509), long(std::time(nullptr)));
  X509_gmtime_adj(X509_getm_notBefore(x509), 0);
  X509_gmtime_adj(X509_getm_notAfter(x509), 365L * 24 * 3600);
  X509_set_pubkey(x509, key.get());
  X509_NAME* name = X509_get_subject_name(x509);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("localhost"), -1, -1, 0);
  X509_set_issuer_name(x509, name);
  X509V3_CTX context;
  X509V3_set_ctx_nodb(&context);
  X509V3_set_ctx(&context, x509, x509, nullptr, nullptr, 0);
  Owned<X509_EXTENSION, X509_EXTENSION_free> names(
      X509V3_EXT_conf_nid(nullptr, &context, NID_subject_alt_name, "DNS:localhost,IP:127.0.0.1,IP:::1"));
  if (!names || !X509_add_ext(x509, names.get(), -1) || !X509_sign(x509, key.get(), EVP_sha256()))
    return QStringLiteral("cannot sign the certificate");
  if (!writePem(
          keyPath,
          [&](BIO* out) { return PEM_write_bio_PrivateKey(out, key.get(), nullptr, nullptr, 0, nullptr, nullptr); },
          true))
    return QStringLiteral("cannot write %1").arg(keyPath);
  if (!writePem(
          certificatePath, [&](BIO* out) { return PEM_write_bio_X509(out, x509); }, false))
    return QStringLiteral("cannot write %1").arg(certificatePath);
  return std::nullopt;
}
