#include "console.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <istream>
#include <ostream>
#include <streambuf>

#include "platform.h"

namespace {

// The errno of a failed C runtime call, or 0 where it gave none; errno is
// cleared before each call, so a stale value is never taken for a reason.
struct failure_record {
    bool failed = false;
    int error = 0;

    void note()
    {
        if (!failed) {
            failed = true;
            error = errno;
        }
    }
};

// Reads one character at a time, as a buffer of its own would wait for more
// input than an interactive answer gives.
class c_input_buffer final : public std::streambuf {
  public:
    explicit c_input_buffer(std::FILE* file) : file_(file) {}
    failure_record failure;
    // The stream that reads from this buffer, told of a read error.
    std::istream* reader = nullptr;

  protected:
    int_type underflow() override
    {
        errno = 0;
        const int c = std::getc(file_);
        if (c == EOF) {
            if (std::ferror(file_) != 0) {
                failure.note();
                // badbit tells the error from the end, so that the answer
                // it cut short is never taken for a whole one. Set here
                // rather than by throwing std::ios_base::failure, which
                // needs the heap just when it may be gone.
                if (reader != nullptr) {
                    reader->setstate(std::ios_base::badbit);
                }
            }
            return traits_type::eof();
        }
        held_ = traits_type::to_char_type(c);
        setg(&held_, &held_, &held_ + 1);
        return c;
    }

  private:
    std::FILE* file_;
    char held_ = 0;
};

// Hands every write straight to the C runtime, whose own buffer and line
// end translation apply; a flush of the stream flushes the file.
class c_output_buffer final : public std::streambuf {
  public:
    explicit c_output_buffer(std::FILE* file) : file_(file) {}
    failure_record failure;

  protected:
    int_type overflow(int_type c) override
    {
        if (traits_type::eq_int_type(c, traits_type::eof())) {
            return traits_type::not_eof(c);
        }
        errno = 0;
        if (failure.failed || std::fputc(c, file_) == EOF) {
            failure.note();
            return traits_type::eof();
        }
        return c;
    }

    std::streamsize xsputn(const char* text, std::streamsize count) override
    {
        errno = 0;
        const auto size = static_cast<std::size_t>(count);
        if (failure.failed || std::fwrite(text, 1, size, file_) != size) {
            failure.note();
            return 0;
        }
        return count;
    }

    int sync() override
    {
        errno = 0;
        if (failure.failed || std::fflush(file_) != 0) {
            failure.note();
            return -1;
        }
        return 0;
    }

  private:
    std::FILE* file_;
};

struct console {
    c_input_buffer in_buffer{stdin};
    c_output_buffer out_buffer{stdout};
    c_output_buffer err_buffer{stderr};
    std::istream in{&in_buffer};
    std::ostream out{&out_buffer};
    std::ostream err{&err_buffer};

    console()
    {
        in_buffer.reader = &in;
    }
};

console& the_console()
{
    static console c;
    return c;
}

}  // namespace

std::istream& console_input()
{
    return the_console().in;
}

std::ostream& console_output()
{
    return the_console().out;
}

std::ostream& console_errors()
{
    return the_console().err;
}

const char* console_failure_reason(console_stream which)
{
    console& c = the_console();
    const failure_record& failure = which == console_stream::input    ? c.in_buffer.failure
                                    : which == console_stream::output ? c.out_buffer.failure
                                                                      : c.err_buffer.failure;
    if (!failure.failed || failure.error == 0) {
        return "";
    }
    if (einval_hides_the_reason && failure.error == EINVAL) {
        return "";
    }
    return std::strerror(failure.error);
}
