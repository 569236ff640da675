// Qt comes uninstrumented and locks with futexes that ThreadSanitizer cannot see, so each
// hand-over inside Qt (posted events, thread start and end, shared string data) looks like a
// race. Reports whose accesses lie in Qt itself are left out; races in our code still show.
extern "C" const char* __tsan_default_suppressions()
{
    return "race:libQt6Core.so.6\n"
           "called_from_lib:libQt6Core.so.6\n";
}
