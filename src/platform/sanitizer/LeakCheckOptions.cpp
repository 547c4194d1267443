// Built into every program of the sanitizer build only.
//
// At exit LeakSanitizer stops the process and walks each thread's thread-local storage. With
// its interception of __tls_get_addr on, the walk follows blocks of libraries loaded later
// with dlopen (Qt's image format plugins, which an export that draws photos loads) and its
// own thread dies on a segmentation fault, failing a run that leaked nothing. Without the
// interception the walk reads static TLS only; the heap is checked as before. LSAN_OPTIONS
// still overrides this.
extern "C" const char *__lsan_default_options()
{
    return "intercept_tls_get_addr=0";
}
