{! The editor's own hex text, as Save writes it: a size line, then a .db line a row; a set's frames under labels. }
{option eol=crlf order=msb}
{#single}
.db  {width}, {height}
{#rows}
.db {data:$%x per=0 sep=","}
{/rows}
{/single}
{^single}
{#frames}
{^first}

{/first}
{name}_{index}:
{#delays}
; delay {delay} ms
{/delays}
.db  {width}, {height}
{#rows}
.db {data:$%x per=0 sep=","}
{/rows}
{/frames}
{/single}

