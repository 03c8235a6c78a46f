/* Decoder for Tobrin's run-length compressed picture data (docs/rle.md).
 * Plain C89, no library calls: it builds with SDCC and z88dk as well as
 * with a desktop compiler. Copy it into your program as it is.
 *
 * The data is a sequence of packets, each led by a control byte c:
 *   c <  128: the next c + 1 bytes are copied as they are (1..128);
 *   c >= 128: the next byte is repeated c - 126 times (2..129).
 *
 * Returns the number of bytes written to out. Decoding stops, without
 * reading or writing past either buffer, at the end of the input, when out
 * is full, or at a packet cut short by the end of the input (its bytes
 * are then not written). For a whole picture the result equals
 * NAME_RAW_SIZE; anything less means the data or the buffer is short. */

#include <stddef.h>

size_t tobrin_rle_decode(const unsigned char *in, size_t in_size, unsigned char *out, size_t out_capacity)
{
    size_t i = 0;
    size_t o = 0;
    while (i < in_size) {
        unsigned char c = in[i++];
        size_t n;
        if (c < 128) {
            n = (size_t)c + 1;
            if (n > in_size - i)
                break; /* literals cut short */
            if (n > out_capacity - o)
                n = out_capacity - o;
            while (n--)
                out[o++] = in[i++];
        } else {
            unsigned char v;
            if (i >= in_size)
                break; /* run without its byte */
            v = in[i++];
            n = (size_t)c - 126;
            if (n > out_capacity - o)
                n = out_capacity - o;
            while (n--)
                out[o++] = v;
        }
        if (o == out_capacity)
            break;
    }
    return o;
}
