{! An X11 bitmap: NAME_width, NAME_height and NAME_bits[], the leftmost pixel of each byte in bit 0. }
{option order=lsb}
#define {name}_width {width}
#define {name}_height {height}
static unsigned char {name}_bits[] = {
    {data:0x%02x per=12}
};
