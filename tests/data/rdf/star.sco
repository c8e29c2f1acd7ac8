 S;1.0
p1;p2;p3;p4;
10;5;0;99;
>H1;3;north;;;;;;
AC-T

>H2;1;;;;;;;
A?GT
>H3;1;south;x;y;z;u;v;
ANGA
>H4;12;;;;;;;
GCGA
