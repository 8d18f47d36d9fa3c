# Every operation code once. The test puts the operands in var[0] and var[1].
var[10]=var[0]+var[1];
var[11]=var[0]-var[1];
var[12]=var[0]*var[1];
var[13]=var[0]/var[1];
var[14]=var[0]%var[1];
var[15]=var[0]==var[1];
var[16]=var[0]!=var[1];
var[17]=var[0]>var[1];
var[18]=var[0]>=var[1];
var[19]=var[0]<var[1];
var[20]=var[0]<=var[1];
var[21]=var[0]&&var[1];
var[22]=var[0]||var[1];
var[23]=!var[0];
var[24]=var[0];
var[25]=var[0]$==var[1];
var[26]=var[0]$!=var[1];
var[27]=var[0]$>var[1];
var[28]=var[0]$>=var[1];
var[29]=var[0]$<var[1];
var[30]=var[0]$<=var[1];
# Constants on either side, and a sum that wraps around 65536.
var[31]=1000-var[0];
var[32]=40000+40000;
var[33]=7;
var[34]=var[34]+1;
