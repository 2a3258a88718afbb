// trust_test_ca CA.der: puts the build's test CA into the local machine's
// Root store, so that WinInet trusts the local test server's certificate.
// The CA's key lies in the build folder: it runs only under Wine, where that
// store is the build's own prefix, and refuses to touch a real system's.
#include <windows.h>
// The certificate functions need the Windows types first.
#include <wincrypt.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

struct THandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
struct TStoreCloser {
  void operator()(HCERTSTORE store) const { CertCloseStore(store, 0); }
};

bool UnderWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::vector<BYTE> ReadWhole(const wchar_t* path) {
  const std::unique_ptr<void, THandleCloser> file(
      CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) return {};
  std::vector<BYTE> bytes(64 * 1024);
  DWORD read = 0;
  if (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) return {};
  bytes.resize(read);
  return bytes;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return std::fputs("usage: trust_test_ca CA.der\n", stderr), 2;
  if (!UnderWine()) return std::fputs("trust_test_ca: runs only under Wine\n", stderr), 2;
  const std::vector<BYTE> der = ReadWhole(argv[1]);
  // As the server's fixture does without the native build: say so and let the HTTPS tests skip.
  if (der.empty()) return std::puts("trust_test_ca: no test CA (build the native configuration first)"), 0;
  const std::unique_ptr<void, TStoreCloser> root(
      CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root"));
  if (!root) return std::fputs("trust_test_ca: cannot open the Root store\n", stderr), 1;
  if (!CertAddEncodedCertificateToStore(root.get(), X509_ASN_ENCODING, der.data(),
                                        static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING,
                                        nullptr)) {
    std::fprintf(stderr, "trust_test_ca: CertAddEncodedCertificateToStore failed (%lu)\n", GetLastError());
    return 1;
  }
  std::puts("trust_test_ca: the test CA is in the prefix's Root store");
  return 0;
}
