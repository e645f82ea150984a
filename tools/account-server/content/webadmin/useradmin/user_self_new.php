<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>帐户注册</title></head>
<body><p>帐户注册</p></body></html>
